#!/usr/bin/env bash
# Draws the pictures of the dialogs on Windows (docs/windows/*.png): the real dialogs of the
# Windows build under Wine, on a virtual X display, in a Japanese session, over the demo product
# and a folder made like the one of the Linux pictures (docs/dialogs/README.md).
# Usage: scripts/windows-shots.sh   (after scripts/windows.sh has built build-win64)
# The pictures have a prefix of their own: the tests' prefix keeps its drive C and registry to them.
set -euo pipefail
cd "$(dirname "$0")/.."
command -v Xvfb >/dev/null && command -v import >/dev/null || {
    echo "needs Xvfb and ImageMagick's import" >&2; exit 1; }
# Wine's own fonts draw the caption's buttons (Marlett); without them a letter stands there.
dpkg-query -W -f='${Status}' fonts-wine 2>/dev/null | grep -q "install ok installed" ||
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends fonts-wine
export WINEPREFIX="$PWD/build-win64/wineprefix-shots" WINEDEBUG=-all LANG=ja_JP.UTF-8 \
       WINEDLLOVERRIDES="mscoree,mshtml="
. scripts/windows-demo.sh
start_xvfb 1280x1024x24
trap 'wineserver -k 2>/dev/null || true; kill $xvfb' EXIT
scripts/windows-prefix.sh

d="$WINEPREFIX/drive_c/Manuals/Help"
rm -rf "$WINEPREFIX/drive_c/Manuals"; mkdir -p "$d/Sub" "$d/資料"
truncate -s 5G "$d/big.iso"; head -c 3000 /dev/zero > "$d/guide.chm"
head -c 1049000 /dev/zero > "$d/manual.pdf"; echo '<html></html>' > "$d/index.html"
echo 'Read me.' > "$d/readme.txt"; echo '<html></html>' > "$d/操作説明.htm"

host=build-win64/tools/dialoghost/tqdialoghost.exe
mkdir -p docs/windows
for w in filelist details location location-open wait report add-files add-name edit; do
    out="docs/windows/$w.png"; rm -f "$out"
    /usr/lib/wine/wine64 "$host" shot Demo "$w" 'C:\Manuals\Help\' "Z:$PWD/$out" \
        >/tmp/tq-shot.$$ 2>/dev/null &
    host_pid=$!
    for _ in $(seq 100); do grep -q '^shot' /tmp/tq-shot.$$ && break; sleep 0.2; done
    read -r _ x y cx cy < <(grep '^shot' /tmp/tq-shot.$$ || echo "shot 0 0 1 1")
    import -window root -crop "${cx}x${cy}+${x}+${y}" +repage "$out.tmp.png" && mv "$out.tmp.png" "$out"
    wait $host_pid || echo "$w: the host did not end well" >&2
    echo "$out"
done
rm -f /tmp/tq-shot.$$
