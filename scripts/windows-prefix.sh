#!/usr/bin/env bash
# Readies a Wine prefix ($WINEPREFIX; made when missing) for the dialogs: the dialog fonts' names
# mapped to the IPA fonts (the proportional one for the proportional "ＭＳ Ｐゴシック", whose texts
# the templates are measured for), windows drawn with their captions by Wine itself (a virtual
# display has no window manager), and the demo product (its registry and its drive C files)
# installed afresh, as the flows and the pictures start from.
set -euo pipefail
cd "$(dirname "$0")/.."
: "${WINEPREFIX:?}"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    /usr/lib/wine/wine64 wineboot -i </dev/null >/dev/null 2>&1
fi
tmp=$(mktemp -d)
# regedit reads REGEDIT4 files in the ANSI code page: 932 under LANG=ja_JP.UTF-8.
printf '%s\r\n' REGEDIT4 '' '[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]' \
    '"MS UI Gothic"="IPAGothic"' '"ＭＳ Ｐゴシック"="IPAPGothic"' '"ＭＳ ゴシック"="IPAGothic"' '' \
    '[HKEY_CURRENT_USER\Software\Wine\X11 Driver]' '"Decorated"="N"' |
    iconv -f UTF-8 -t CP932 >"$tmp/fonts.reg"
/usr/lib/wine/wine64 regedit /s "Z:$tmp/fonts.reg" </dev/null
/usr/lib/wine/wine64 reg delete 'HKLM\SOFTWARE\Orbanworks\Trellisquest\Demo' /f </dev/null >/dev/null 2>&1 || true
/usr/lib/wine/wine64 reg delete 'HKCU\SOFTWARE\Orbanworks\Trellisquest\Demo' /f </dev/null >/dev/null 2>&1 || true
/usr/lib/wine/wine64 regedit /s "Z:$PWD/samples/demo/demo.reg" </dev/null
rm -rf "$WINEPREFIX/drive_c/Program Files/Trellisquest" "$WINEPREFIX/drive_c/Program Files/MyNotes"
cp -r samples/demo/drive_c/. "$WINEPREFIX/drive_c/"
rm -rf "$tmp"
# The caption's buttons are letters of Wine's Marlett (Debian fonts-wine).
if [ -f /usr/share/wine/fonts/marlett.ttf ]; then
    cp /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
fi
