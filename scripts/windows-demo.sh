# The demo product under Wine, for scripts/windows.sh's demo and the tests of the module's
# clients (sourced): Wine, the module registered, the demo installed afresh (a registry file by
# regedit, samples/demo's files on drive C), reading its code page 932 files, and a virtual
# display for Wine's windows.
# WINEPREFIX as scripts/windows.sh sets it.
wine=/usr/lib/wine/wine64
export WINEDEBUG=-all LANG=ja_JP.UTF-8
product='HKLM\SOFTWARE\Orbanworks\Trellisquest\Demo'
control="$WINEPREFIX/drive_c/Program Files/Trellisquest/Control"
demo_source=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/samples/demo

fail() { echo "FAILED: $*" >&2; exit 1; }
# The text of a code page 932 file, for grep.
text() { iconv -f cp932 -t utf-8 "$1" | tr -d '\r'; }
# The module's registration by regsvr32, from its own folder.
register() { (cd "$(dirname "$1")" && "$wine" regsvr32 /s "$(basename "$1")"); }
# The demo product as installed, its registry from the given .reg file.
install_demo() {
    "$wine" reg delete "$product" /f >/dev/null 2>&1 || true
    (cd "$(dirname "$1")" && "$wine" regedit /s "$(basename "$1")") || fail "regedit $1"
    rm -rf "$WINEPREFIX/drive_c/Program Files/Trellisquest" \
        "$WINEPREFIX/drive_c/Program Files/MyNotes"
    cp -R "$demo_source/drive_c/." "$WINEPREFIX/drive_c/"
}
# A virtual display of SIZE (1024x768x24) for Wine's windows, on a number Xvfb picks free and
# writes once it serves (a number of our own choosing could be another server's, whose end would
# take the display away); DISPLAY is set and $xvfb holds the server's process.
start_xvfb() {
    local number_file
    number_file=$(mktemp)
    Xvfb -displayfd 5 -screen 0 "$1" 5>"$number_file" >/dev/null 2>&1 &
    xvfb=$!
    for _ in $(seq 100); do [ -s "$number_file" ] && break; sleep 0.1; done
    export DISPLAY=:$(head -1 "$number_file")
    rm -f "$number_file"
}
