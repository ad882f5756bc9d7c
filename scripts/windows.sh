#!/usr/bin/env bash
# Builds the component for Windows with MinGW-w64 and runs its tests under Wine: installs what
# is missing, builds x86_64 (build-win64, run under Wine) and i686 (build-win32, the shipped
# 32-bit target, built and never run: this kernel runs no 32-bit code), prepares a Wine prefix
# inside the build tree and runs the test programs through ctest.
# Usage: scripts/windows.sh [ctest options...]
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(cmake make g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix libz-mingw-w64-dev
          googletest wine wine64 locales xvfb)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    # Never wine32: it replaces the 64-bit loader, and this kernel runs no 32-bit code anyway.
    apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
# Wine's ANSI code page follows the locale: 932 under Japanese.
if ! locale -a 2>/dev/null | grep -qix 'ja_JP.utf8'; then
    localedef -i ja_JP -f UTF-8 ja_JP.UTF-8
fi

for target in x86_64:build-win64:ON i686:build-win32:OFF; do
    IFS=: read -r arch dir tests <<<"$target"
    cmake -S . -B "$dir" -DCMAKE_TOOLCHAIN_FILE="cmake/mingw-w64-$arch.cmake" \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTQ_WERROR=ON -DTQ_BUILD_TESTS="$tests" >/dev/null
    cmake --build "$dir" -j"$(nproc)"
done

export WINEPREFIX="$PWD/build-win64/wineprefix" WINEDEBUG=-all LANG=ja_JP.UTF-8 \
       WINEDLLOVERRIDES="mscoree,mshtml="  # no offers to install Mono or Gecko
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
# First with no display, as a host without one has it (every dialog answered as cancelled)...
unset DISPLAY WAYLAND_DISPLAY
/usr/lib/wine/wine64 wineboot </dev/null >/dev/null 2>&1
status=0
(cd build-win64 && ctest --output-on-failure --timeout 600 -LE display "$@") || status=$?
# ...then the native dialogs' own tests, which make real windows, on a virtual display of the
# run's own, with Wine's services started again for it.
wineserver -k || true; wineserver -w || true
export DISPLAY=:$((200 + RANDOM % 100))
Xvfb "$DISPLAY" -screen 0 1024x768x24 >/dev/null 2>&1 &
xvfb=$!
trap 'wineserver -k || true; kill $xvfb' EXIT
wineserver -p </dev/null >/dev/null 2>&1 || true
/usr/lib/wine/wine64 wineboot </dev/null >/dev/null 2>&1
(cd build-win64 && ctest --output-on-failure --timeout 600 -L display "$@") || status=$?
exit $status
