#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, only those that are missing, and
# the Japanese locale. Usage: scripts/deps.sh [PACKAGE...] (the given packages instead of the
# build's own list).
set -euo pipefail
packages=("$@")
[ $# -gt 0 ] || packages=(cmake g++ make pkg-config libsqlite3-dev sqlite3 libgtest-dev libgmock-dev
          libbenchmark-dev libinih-dev clang-14 libclang-rt-14-dev
          libpoppler-cpp-dev libxml2-dev dpkg-dev patch fp-utils qpdf
          qt6-base-dev qt6-translations-l10n libxcb1-dev fonts-ipafont-gothic xvfb xdotool
          locales universal-ctags)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
# The Japanese session the pictures are drawn in and the tests of the toolkit's texts use.
if ! locale -a 2>/dev/null | grep -qix 'ja_JP.utf-\?8'; then
    localedef -i ja_JP -c -f UTF-8 ja_JP.UTF-8
fi
