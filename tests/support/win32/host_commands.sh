#!/usr/bin/env bash
# Serves the Windows test programs, which run under Wine, with the host's tools: runs each
# command that appears in DIR as <id>.cmd, with its drive paths ("C:\...", "Z:\...") read as the
# host's through the Wine prefix's drive links, and answers with <id>.rc holding its exit
# status. Usage: host_commands.sh DIR (runs until it is stopped).
dir=$1
drives=${WINEPREFIX:?}/dosdevices
while sleep 0.02; do
    for cmd in "$dir"/*.cmd; do
        [ -e "$cmd" ] || continue
        line=$(sed -e "s#\\([A-Za-z]\\):\\\\#$drives/\\L\\1:/#g" -e 's#\\#/#g' "$cmd")
        rc=0
        bash -c "$line" </dev/null >/dev/null 2>&1 || rc=$?
        rm -f "$cmd"
        echo $rc >"${cmd%.cmd}.rc.new" && mv "${cmd%.cmd}.rc.new" "${cmd%.cmd}.rc"
    done
done
