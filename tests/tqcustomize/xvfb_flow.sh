#!/usr/bin/env bash
# The window on a virtual X server, used as a user would, by xdotool: open it on the demo
# product, tick a database, Ctrl+S, answer the question, close; the files must then show it.
# Then tqctl --yes edit: a new name typed, Shift+Tab to Cancel, Enter there: nothing is saved.
# Usage: xvfb_flow.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$1 source=$2
fail() { echo "FAILED: $*" >&2; exit 1; }

if [ "${3:-}" = --inside ]; then
    "$build/tools/tqcustomize/tqcustomize" --product Demo &
    pid=$!
    # The title names the product by its display name once the list is loaded; the component's
    # question is captioned with that name alone.
    main=$(timeout 20 xdotool search --sync --name '^Trellisquest デモ - 検索データベース$' | head -1)
    xdotool windowfocus --sync "$main"
    xdotool key Down Down space ctrl+s  # from the first selection-type database to 用語辞書
    box=$(timeout 20 xdotool search --sync --name '^Trellisquest デモ$' | head -1)
    xdotool windowfocus --sync "$box" key Return
    sleep 1
    xdotool windowfocus --sync "$main" key ctrl+q
    timeout 10 tail --pid="$pid" -f /dev/null || { kill "$pid"; fail "the window did not close"; }
    wait "$pid" || fail "tqcustomize exited with $?"

    control="$TQ_PREFIX/drives/c/Program Files/Trellisquest/Control"
    before=$(cat "$control"/*.ini | md5sum)
    "$build/tools/tqctl/tqctl" --product Demo --yes edit 3 1 & pid=$!
    edit=$(timeout 20 xdotool search --sync --name '^アプリケーションの変更$' | head -1)
    xdotool windowfocus --sync "$edit" type --delay 20 Renamed
    xdotool key --delay 100 shift+Tab Return
    timeout 10 tail --pid="$pid" -f /dev/null || { kill "$pid"; fail "the edit dialog did not close"; }
    if wait "$pid"; then fail "Enter on a focused Cancel ended the edit dialog with OK"; fi
    [ "$(cat "$control"/*.ini | md5sum)" = "$before" ] || fail "Enter on Cancel saved the files"
    exit 0
fi

work=$(mktemp -d /tmp/tq-xvfb.XXXXXX)
trap 'rm -rf "$work"' EXIT
export TQ_PREFIX=$work/prefix
unset QT_QPA_PLATFORM
"$build/tools/tqreg/tqreg" import "$source/samples/demo/demo.reg"
cp -R "$source/samples/demo/drive_c/." "$TQ_PREFIX/drives/c/"
"$build/tools/tqctl/tqctl" register >/dev/null
xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$build" "$source" --inside
control="$TQ_PREFIX/drives/c/Program Files/Trellisquest/Control"
grep -qa '^\[Dictionary\]'$'\r''\?$' "$control/BaseControl.ini" || fail "Dictionary still deselected"
grep -qa '^\[Dictionary\]' "$control/Control.ini" || fail "Dictionary not in the control file"
echo "tqcustomize under Xvfb: the ticked database was saved"
