#!/usr/bin/env bash
# The component's clients on Windows, under Wine: the module registered with regsvr32 (twice),
# the demo product imported with regedit and its files put on drive C, then a C host of the
# plain exports and a VBScript host of the automation object (the session answering its
# questions No, then Yes), and what they leave in the files and the registry read back, also
# through tqctl. Usage: clients_test.sh MODULE.dll MODULECLIENT.exe TQCTL.exe SOURCEDIR
# (WINEPREFIX as scripts/windows.sh sets it).
set -euo pipefail
module=$1 client=$2 tqctl=$3 src=$4
. "$(dirname "$0")/../../scripts/windows-demo.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

for i in 1 2; do  # a second registration finds its entries and writes them again
    register "$module" || fail "regsvr32 #$i"
done
"$wine" reg query 'HKCR\CLSID\{FE1B0AC2-7074-11D5-99A1-00C04FB9CD98}\InProcServer32' |
    grep -qF "Z:${module//\//\\}" || fail "InProcServer32 is not the module's full path"

install_demo "$src/samples/demo/demo.reg"

"$wine" "$client" "Z:${module//\//\\}" 'SOFTWARE\Orbanworks\Trellisquest\Demo' ||
    fail "ModuleClient (exit $?: the number of its failed check)"
[ -f "$control/Control.ini" ] || fail "the conversion wrote no control file"

# The scripts are code page 932, as Windows reads a script without a byte order mark.
iconv -f utf-8 -t cp932 "$src/tests/windows/Automation.vbs" >"$work/Automation.vbs"
run_script() {
    local out
    out=$(cd "$work" && TQ_ANSWER=$1 "$wine" cscript //nologo Automation.vbs "$1") ||
        fail "Automation.vbs $1 quit with $?: $out"
    [ "$(tail -n1 <<<"$out" | tr -d "\r")" = ok ] || fail "Automation.vbs $1 ended early: $out"
}
before=$(cat "$control"/*.ini | md5sum)
run_script no
[ "$(cat "$control"/*.ini | md5sum)" = "$before" ] || fail "No changed the files"
run_script yes
base=$(text "$control/BaseControl.ini") ctrl=$(text "$control/Control.ini")
grep -qx '\[RelNotes\]~' <<<"$base" || fail "RelNotes not deselected"
grep -q '私のメモ' <<<"$base" && fail "the user application is still there"
grep -qx '\[Manual\]' <<<"$ctrl" || fail "the control file lost Manual"
grep -q '^\[RelNotes\]' <<<"$ctrl" && fail "the control file keeps RelNotes"
"$wine" reg query "$product\\Builder\\Request" /v '<REG>' | grep -q '0x1' ||
    fail "no rebuild request for the builder"
list=$("$wine" "$tqctl" --product Demo list | tr -d '\r')
[ "$(cut -f1-3 <<<"$list" | tr '\t\n' ' ')" = "1 1 1 2 1 1 2 2 0 2 3 0 " ] ||
    fail "tqctl list: $list"
[ "$("$wine" "$tqctl" --product Demo status | tr -d '\r')" = 0 ] || fail "tqctl status"
echo "clients passed"
