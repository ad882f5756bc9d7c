# What the tests of the module's clients on Windows share (sourced): Wine, the demo product
# installed afresh (its registry by regedit, its files on drive C) and the module registered.
# WINEPREFIX as scripts/windows.sh sets it.
wine=/usr/lib/wine/wine64
export WINEDEBUG=-all LANG=ja_JP.UTF-8
product='HKLM\SOFTWARE\Orbanworks\Trellisquest\Demo'
control="$WINEPREFIX/drive_c/Program Files/Trellisquest/Control"

fail() { echo "FAILED: $*" >&2; exit 1; }
# The text of a code page 932 file, for grep.
text() { iconv -f cp932 -t utf-8 "$1" | tr -d '\r'; }
# The module's registration by regsvr32, from its own folder.
register() { (cd "$(dirname "$1")" && "$wine" regsvr32 /s "$(basename "$1")"); }
# The demo product as installed: SOURCEDIR's samples/demo.
install_demo() {
    "$wine" reg delete "$product" /f >/dev/null 2>&1 || true
    (cd "$1/samples/demo" && "$wine" regedit /s demo.reg) || fail "regedit"
    rm -rf "$WINEPREFIX/drive_c/Program Files/Trellisquest" \
        "$WINEPREFIX/drive_c/Program Files/MyNotes"
    cp -R "$1/samples/demo/drive_c/." "$WINEPREFIX/drive_c/"
}
