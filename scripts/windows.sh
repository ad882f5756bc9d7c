#!/usr/bin/env bash
# Builds the component for Windows with MinGW-w64 and runs its tests under Wine: installs what
# is missing, builds x86_64 (build-win64, run under Wine) and i686 (build-win32, the shipped
# 32-bit target, built and never run: this kernel runs no 32-bit code), prepares a Wine prefix
# inside the build tree and runs the test programs through ctest, then the demo when the Linux
# tools are built (scripts/test.sh builds them first).
# Usage: scripts/windows.sh [ctest options...]
#        scripts/windows.sh --demo    build (the Linux tools too) and run the demo only
#        scripts/windows.sh --bench DIR [NAME]   build the x86_64 benchmark in Release
#            (build-bench-win64) and write the JSON of each of its groups (whose name contains
#            NAME) to DIR/<group>_bench.json; bench/run --windows prints them with the Linux rows
set -euo pipefail
cd "$(dirname "$0")/.."
demo_only=0
bench_dir=
if [ "${1:-}" = --demo ]; then
    demo_only=1
    shift
elif [ "${1:-}" = --bench ]; then
    bench_dir=$2
    bench_name=${3:-}
    shift $#
fi

# Never wine32: it replaces the 64-bit loader, and this kernel runs no 32-bit code anyway. The
# Japanese locale deps.sh generates makes Wine's ANSI code page 932.
scripts/deps.sh cmake make g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix \
    libz-mingw-w64-dev googletest wine wine64 locales xvfb dpkg-dev patch

tqreg=build/tools/tqreg/tqreg
if [ $demo_only = 1 ]; then
    # The demo's registry comes from the Linux registry tool's export.
    scripts/deps.sh
    cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build build -j"$(nproc)" --target tqreg
fi

# arch:tree:build type:tests:benchmark; the tree of x86_64 holds the Wine prefix.
targets=(x86_64:build-win64:RelWithDebInfo:ON:OFF i686:build-win32:RelWithDebInfo:OFF:OFF)
wine_tree=build-win64
if [ -n "$bench_dir" ]; then
    targets=(x86_64:build-bench-win64:Release:OFF:ON)
    wine_tree=build-bench-win64
fi
for target in "${targets[@]}"; do
    IFS=: read -r arch dir type tests bench <<<"$target"
    cmake -S . -B "$dir" -DCMAKE_TOOLCHAIN_FILE="cmake/mingw-w64-$arch.cmake" \
        -DCMAKE_BUILD_TYPE="$type" -DTQ_WERROR=ON -DTQ_BUILD_TESTS="$tests" \
        -DTQ_BUILD_BENCH="$bench" >/dev/null
    cmake --build "$dir" -j"$(nproc)"
done

export WINEPREFIX="$PWD/$wine_tree/wineprefix" WINEDEBUG=-all LANG=ja_JP.UTF-8 \
       WINEDLLOVERRIDES="mscoree,mshtml="  # no offers to install Mono or Gecko
. scripts/windows-demo.sh  # the demo's setup and the virtual display
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    /usr/lib/wine/wine64 wineboot -i </dev/null >/dev/null 2>&1
    wineserver -w
fi
# One persistent server for the whole run: a server started by the first test would outlive it
# holding ctest's output pipe, and the run would never end.
# (It fails when one is running for the prefix already: that one serves.) The first program of a
# session starts Wine's own services, which would inherit the output of whatever started them:
# a program with nothing to say starts them.
wineserver -p </dev/null >/dev/null 2>&1 || true
trap 'wineserver -k || true' EXIT
# A virtual display of the run's own, with Wine's services started again for it. There is no
# window manager on it: Wine is told to manage its windows itself, or it would wait 2 s for one
# at every window it hides (every dialog's end stopped its thread that long).
start_display() {
    /usr/lib/wine/wine64 reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f \
        </dev/null >/dev/null 2>&1
    wineserver -k || true; wineserver -w || true
    start_xvfb 1024x768x24
    trap 'wineserver -k || true; kill $xvfb ${server:-}' EXIT
    wineserver -p </dev/null >/dev/null 2>&1 || true
    /usr/lib/wine/wine64 wineboot </dev/null >/dev/null 2>&1
}
# First with no display, as a host without one has it (every dialog answered as cancelled)...
unset DISPLAY WAYLAND_DISPLAY
/usr/lib/wine/wine64 wineboot </dev/null >/dev/null 2>&1
if [ -n "$bench_dir" ]; then
    start_display  # the check job's wait dialog and the file list are windows
    mkdir -p "$bench_dir"
    # The file list's folders of 1,000 to 100,000 files, as filelist_bench makes them on Linux,
    # made here: Wine makes a file in time that grows with its folder.
    [[ filelist == *"$bench_name"* ]] && python3 - "$WINEPREFIX/drive_c/bench-files" <<'MAKE'
import os, sys
for n in (1000, 10000, 100000):
    folder = os.path.join(sys.argv[1], "files%d" % n)
    os.makedirs(folder, exist_ok=True)
    for i in range(n):
        name = os.path.join(folder, "Manual %d%s" % (i * 7919 % n, (".chm", ".pdf", ".txt", ".htm")[i % 4]))
        if i % 100 == 0:
            os.makedirs(name + ".d", exist_ok=True)
        with open(name, "wb") as f:
            f.write(b"x" * (i % 3000))
MAKE
    for group in controlfile manager registry checkjob filelist; do
        if [[ $group == *"$bench_name"* ]]; then
            echo "running windows_bench $group under Wine ..." >&2
            folders=()
            [ $group = filelist ] && folders=('C:\bench-files')
            /usr/lib/wine/wine64 build-bench-win64/bin/windows_bench.exe $group "${folders[@]}" \
                </dev/null >"$bench_dir/${group}_bench.json"
        fi
    done
    exit 0
fi
status=0
if [ $demo_only = 0 ]; then
    # Wine cannot start the host's programs: the tests that make their files with the host's
    # tools (chmcmd, qpdf) ask this server for them.
    host_commands="$PWD/build-win64/host-commands"
    rm -rf "$host_commands" && mkdir -p "$host_commands"
    tests/support/win32/host_commands.sh "$host_commands" </dev/null >/dev/null 2>&1 &
    server=$!
    trap 'wineserver -k || true; kill $server' EXIT
    export TQ_HOST_COMMANDS="Z:$host_commands"
    (cd build-win64 && ctest --output-on-failure --timeout 600 -LE display "$@") || status=$?
    # ...then the native dialogs' own tests, which make real windows, on a virtual display.
    start_display
    (cd build-win64 && ctest --output-on-failure --timeout 600 -L display "$@") || status=$?
fi

# The demo: the demo product's registry imported into a Linux prefix by tqreg and exported again
# as a Windows .reg file (UTF-16), which Wine's regedit imports; its files on Wine's drive C; the
# module registered with regsvr32; samples/demo/demo.vbs lists the databases, deselects one and
# saves.
if [ -x "$tqreg" ]; then
    demo=build-win64/demo
    rm -rf "$demo" && mkdir -p "$demo"
    "$tqreg" --prefix "$demo/prefix" import samples/demo/demo.reg
    "$tqreg" --prefix "$demo/prefix" export "$product" "$demo/demo.reg" --unicode
    install_demo "$demo/demo.reg"
    register build-win64/bin/TQCSTM.dll
    cp samples/demo/demo.vbs "$demo/"
    (cd "$demo" && TQ_ANSWER=yes "$wine" cscript //nologo demo.vbs databases.txt)
    text "$demo/databases.txt"
    echo "The builder's request:"
    "$wine" reg query "$product\\Builder\\Request" | tr -d '\r'
    echo "Try: cd build-win64/bin && WINEPREFIX=$WINEPREFIX wine64 tqctl.exe --product Demo list"
fi
exit $status
