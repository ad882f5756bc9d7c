#!/usr/bin/env bash
# A whole flow on Windows as a person goes through it: Wine on the run's virtual display (no
# window manager: the flow gives each dialog the keyboard), keys by xdotool, a console script
# (Flow.vbs) as the host. The wizard: both text files chosen (Shift+End) and added by Enter
# (the wait dialog has the topic-filter library check them), 次へ, a name, 完了; saved. The edit
# dialog: a new name, a file added, one removed (Delete), OK; saved. Again: a name, Shift+Tab to
# キャンセル, Enter: nothing changes.
# Usage: flow_test.sh MODULE.dll SOURCEDIR (WINEPREFIX and DISPLAY as scripts/windows.sh sets them)
set -euo pipefail
module=$1 src=$2
. "$(dirname "$0")/../../scripts/windows-demo.sh"
work=$(mktemp -d)
pid=
trap 'rm -rf "$work"; [ -z "$pid" ] || kill "$pid" 2>/dev/null || true' EXIT

register "$module" || fail "regsvr32"
install_demo "$src/samples/demo/demo.reg"
folder="$WINEPREFIX/drive_c/Flow"
rm -rf "$folder" && mkdir -p "$folder"
printf 'Release notes\r\n\r\nWhat changed.\r\n' >"$folder/notes.txt"
printf 'Installing\r\n\r\nHow to install.\r\n' >"$folder/setup.txt"
"$wine" reg add 'HKCU\SOFTWARE\Orbanworks\Trellisquest\Demo\USER\Temp\AddTarget' \
    /v CurrentFolder /d 'C:\Flow' /f >/dev/null
iconv -f utf-8 -t cp932 "$src/tests/windows/Flow.vbs" >"$work/Flow.vbs"

# The script in the background (by its full path, so that $pid is its own process); ends waits.
start() {
    step=$1
    (cd "$work" && TQ_ANSWER=yes exec "$wine" 'C:\windows\system32\cscript.exe' //nologo \
        Flow.vbs "$step" >"$step.out" 2>&1) &
    pid=$!
}
ends() {
    timeout 30 tail --pid="$pid" -f /dev/null || fail "$step: no end"
    wait "$pid" || fail "$(cat "$work/$step.out")"
    pid=
}
# The keyboard to the dialog of the caption (a pattern) once it shows, then the keys. (Wine
# draws its windows itself here: xdotool cannot wait for the focus.)
keys() {
    local window
    window=$(timeout 30 xdotool search --sync --onlyvisible --name "^$1\$" | head -1)
    [ -n "$window" ] || fail "$step: no window $1"
    shift
    xdotool windowfocus "$window" sleep 0.5 "$@"
}

start add
keys 'アプリケーションの追加　\(1/2\)' key --delay 100 shift+End Return
sleep 3  # the wait dialog checks the files; the page then wants the keyboard back
keys 'アプリケーションの追加　\(1/2\)' key alt+n
keys 'アプリケーションの追加　\(2/2\)' type --delay 50 'Flow Notes'
xdotool key Return
ends
base=$(text "$control/BaseControl.ini")
grep -qx 'PublicName = "Flow Notes"' <<<"$base" || fail "the new application is not saved"
[ "$(grep -ci '^Doc = "C:\\Flow\\\(notes\|setup\).txt > Flow Notes"$' <<<"$base")" = 2 ] ||
    fail "the new application lacks its files: $base"
printf 'Extra\r\n\r\nMore.\r\n' >"$folder/extra.txt"
start rename  # extra.txt, the first row, added; notes.txt, the second target, removed
keys 'アプリケーションの変更' key --delay 100 End shift+Home type --delay 50 'Flow Renamed'
xdotool key --delay 100 Tab Tab Return
sleep 3
keys 'アプリケーションの変更' key --delay 100 Tab Tab Home Down Delete Return
ends
base=$(text "$control/BaseControl.ini")
[ "$(grep -ci '^Doc = "C:\\Flow\\\(setup\|extra\).txt > Flow Renamed"$' <<<"$base")" = 2 ] &&
    grep -qx 'PublicName = "Flow Renamed"' <<<"$base" && ! grep -qi 'flow.notes' <<<"$base" ||
    fail "the edit is not saved: $base"
before=$(cat "$control"/*.ini | md5sum)
start cancel
keys 'アプリケーションの変更' type --delay 50 'Gone'
xdotool key --delay 100 shift+Tab Return
ends
[ "$(cat "$control"/*.ini | md5sum)" = "$before" ] || fail "Enter on キャンセル changed the files"
echo "the whole flow passed"
