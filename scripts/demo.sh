#!/usr/bin/env bash
# Sets up and runs the main job on the demo product: installs what is missing, builds, creates a
# fresh prefix from samples/demo (its registry from demo.reg, its drive C: from drive_c),
# registers the component module, then lists the databases, regenerates the control file and
# shows the status. With a display it then opens the desktop window, tqcustomize, on the demo
# product. The prefix is left in place for further commands.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "${TQ_DEMO_SKIP_BUILD:-0}" != 1 ]; then
    scripts/deps.sh
    scripts/build.sh build
fi
tqreg=build/tools/tqreg/tqreg
tqctl=build/tools/tqctl/tqctl
prefix=$(mktemp -d /tmp/tq-demo.XXXXXX)
echo "Demo prefix: $prefix"
"$tqreg" --prefix "$prefix" import samples/demo/demo.reg
cp -R samples/demo/drive_c/. "$prefix/drives/c/"
"$tqctl" --prefix "$prefix" register
run() {
    echo "\$ tqctl --prefix $prefix --product Demo $*"
    "$tqctl" --prefix "$prefix" --product Demo "$@"
}
run list
run convert
run status
echo
# The window needs an X display, or a Wayland one named through QT_QPA_PLATFORM=wayland.
if [ -n "${DISPLAY:-}" ] || [[ "${QT_QPA_PLATFORM:-}" == wayland* ]]; then
    echo "\$ tqcustomize --prefix $prefix --product Demo"
    build/tools/tqcustomize/tqcustomize --prefix "$prefix" --product Demo
else
    echo "Try: $tqctl --prefix $prefix --product Demo deselect 2 1"
    echo "On a display: build/tools/tqcustomize/tqcustomize --prefix $prefix --product Demo"
fi
