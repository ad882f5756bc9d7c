#!/usr/bin/env bash
# A whole flow on Windows used as a person would, under Wine on the run's virtual display (no
# window manager: the flow gives the keyboard to each dialog itself), keys sent by xdotool; the
# host is a console script (Flow.vbs, wine cscript) that pumps no messages of its own. The
# wizard: two text files chosen in the file list (Shift+End) and added by Enter (the wait
# dialog has the topic-filter library check them), 次へ, a name typed, 完了; the script saves and
# the files hold the new application. The edit dialog renames it, OK, saved. The edit dialog
# again: a name typed, Shift+Tab to キャンセル, Enter there: the files stay as they were.
# Usage: flow_test.sh MODULE.dll SOURCEDIR (WINEPREFIX and DISPLAY as scripts/windows.sh sets
# them).
set -euo pipefail
module=$1 src=$2
. "$(dirname "$0")/demo.sh"
work=$(mktemp -d)
pid=
trap 'rm -rf "$work"; [ -z "$pid" ] || kill "$pid" 2>/dev/null || true' EXIT

register "$module" || fail "regsvr32"
install_demo "$src"
folder="$WINEPREFIX/drive_c/Flow"
rm -rf "$folder" && mkdir -p "$folder"
printf 'Release notes\r\n\r\nWhat changed in this release.\r\n' >"$folder/notes.txt"
printf 'Installing\r\n\r\nHow to install the product.\r\n' >"$folder/setup.txt"
"$wine" reg add 'HKCU\SOFTWARE\Orbanworks\Trellisquest\Demo\USER\Temp\AddTarget' \
    /v CurrentFolder /d 'C:\Flow' /f >/dev/null
iconv -f utf-8 -t cp932 "$src/tests/windows/Flow.vbs" >"$work/Flow.vbs"

# Starts the script with its argument in the background; ends waits for it.
start() {
    step=$1
    # By its full path, so that the process started is the script's own (no start.exe between).
    (cd "$work" && TQ_ANSWER=yes exec "$wine" 'C:\windows\system32\cscript.exe' //nologo \
        Flow.vbs "$step" >"$step.out" 2>&1) &
    pid=$!
}
ends() {
    timeout 30 tail --pid="$pid" -f /dev/null || { kill "$pid"; fail "$step: no end"; }
    wait "$pid" || fail "$step: the script quit with $?: $(cat "$work/$step.out")"
    pid=
}
# The keyboard to the dialog whose caption (a pattern) is given, once it is on screen; then the
# keys. (Wine draws its windows itself here, so xdotool cannot wait for the focus to arrive.)
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

start rename
keys 'アプリケーションの変更' key --delay 100 End shift+Home
xdotool type --delay 50 'Flow Renamed'
xdotool key Return
ends
base=$(text "$control/BaseControl.ini")
grep -qx 'PublicName = "Flow Renamed"' <<<"$base" || fail "the rename is not saved"

before=$(cat "$control"/*.ini | md5sum)
start cancel
keys 'アプリケーションの変更' type --delay 50 'Gone'
xdotool key --delay 100 shift+Tab Return
ends
[ "$(cat "$control"/*.ini | md5sum)" = "$before" ] || fail "Enter on キャンセル changed the files"
echo "the whole flow passed"
