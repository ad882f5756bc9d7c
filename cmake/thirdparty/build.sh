#!/usr/bin/env bash
# Builds the topic filter's readers for one target (Windows; on Linux chmlib alone, which needs
# our mending) from Debian's source packages and installs them, static, below DIR/install
# (cmake/thirdparty/ThirdParty.cmake runs this while configuring). Each library is built once: a
# stamp beside the installation names how it was built (and holds the source version), and a
# later run with that stamp present costs nothing, not even a look at the network.
# Usage: build.sh DIR TOOLCHAIN_FILE|"" LIBRARY...
# The sources come through apt from Debian's deb-src indexes, with apt's lists and cache in
# DIR/apt so the system's apt configuration stays as it is; our patches are in this folder.
set -euo pipefail
dir=$1
toolchain=$2
shift 2
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$dir/install" "$dir/src" "$dir/apt/lists/partial" "$dir/apt/cache/archives/partial"
cat >"$dir/apt/sources.list" <<SOURCES
deb-src http://deb.debian.org/debian bookworm main
deb-src http://deb.debian.org/debian-security bookworm-security main
SOURCES
apt_options=(-o Dir::Etc::SourceList="$dir/apt/sources.list" -o Dir::Etc::SourceParts=/dev/null
             -o Dir::State::Lists="$dir/apt/lists" -o Dir::Cache="$dir/apt/cache"
             -o APT::Sandbox::User=root -qq)
jobs=${TQ_THIRDPARTY_JOBS:-2}

# The Debian source package of each library (none: the source is ours, in this folder) and the
# options of its CMake build.
declare -A package=([chmlib]=chmlib [libxml2]=libxml2 [freetype]=freetype [poppler]=poppler
                    [iconv]=)
declare -A options
options[chmlib]=""
options[libxml2]="-DCMAKE_C_FLAGS=-DLIBXML_STATIC -DLIBXML2_WITH_ICONV=OFF -DLIBXML2_WITH_LZMA=OFF -DLIBXML2_WITH_ZLIB=OFF
    -DLIBXML2_WITH_PYTHON=OFF -DLIBXML2_WITH_PROGRAMS=OFF -DLIBXML2_WITH_TESTS=OFF
    -DLIBXML2_WITH_HTTP=OFF -DLIBXML2_WITH_FTP=OFF -DLIBXML2_WITH_MODULES=OFF
    -DLIBXML2_WITH_CATALOG=OFF -DLIBXML2_WITH_DEBUG=OFF -DLIBXML2_WITH_SCHEMAS=OFF
    -DLIBXML2_WITH_SCHEMATRON=OFF -DLIBXML2_WITH_XINCLUDE=OFF -DLIBXML2_WITH_XPTR=OFF
    -DLIBXML2_WITH_ICU=OFF"
options[freetype]="-DFT_DISABLE_ZLIB=ON -DFT_DISABLE_BZIP2=ON -DFT_DISABLE_PNG=ON
    -DFT_DISABLE_HARFBUZZ=ON -DFT_DISABLE_BROTLI=ON"
options[poppler]="-DENABLE_UTILS=OFF -DENABLE_CPP=ON -DENABLE_GLIB=OFF
    -DENABLE_GOBJECT_INTROSPECTION=OFF -DENABLE_QT5=OFF -DENABLE_QT6=OFF -DENABLE_BOOST=OFF
    -DENABLE_LIBCURL=OFF -DENABLE_LIBOPENJPEG=none -DENABLE_DCTDECODER=none -DENABLE_CMS=none
    -DWITH_JPEG=OFF -DWITH_PNG=OFF -DWITH_TIFF=OFF -DWITH_NSS3=OFF -DWITH_Cairo=OFF
    -DWITH_GLIB=OFF -DWITH_GTK=OFF -DENABLE_ZLIB=OFF -DBUILD_GTK_TESTS=OFF -DBUILD_QT5_TESTS=OFF
    -DBUILD_QT6_TESTS=OFF -DBUILD_CPP_TESTS=OFF -DBUILD_MANUAL_TESTS=OFF
    -DRUN_GPERF_IF_PRESENT=OFF -DENABLE_RELOCATABLE=OFF -DFONT_CONFIGURATION=win32
    -DFREETYPE_LIBRARY=$dir/install/lib/libfreetype.a
    -DFREETYPE_INCLUDE_DIR_ft2build=$dir/install/include/freetype2
    -DFREETYPE_INCLUDE_DIR_freetype2=$dir/install/include/freetype2
    -DICONV_INCLUDE_DIR=$dir/install/include -DICONV_LIBRARIES=$dir/install/lib/libiconv.a"
options[iconv]=""

# A digest of how a library is built (its options, our files for it): a change builds it again.
recipe() {
    { echo "${options[$1]}"; cat "$here/$1"/* 2>/dev/null || true; } | md5sum | cut -c1-12
}

# Builds and installs one library from its source folder, then stamps it with its version.
build() {
    local lib=$1 source=$2 version=$3 start=$SECONDS
    echo "-- building $lib $version" >&2
    # shellcheck disable=SC2086
    if ! cmake -S "$source" -B "$dir/src/$lib/build" ${toolchain:+-DCMAKE_TOOLCHAIN_FILE="$toolchain"} \
            -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=OFF \
            -DCMAKE_INSTALL_PREFIX="$dir/install" ${options[$lib]} >"$dir/src/$lib/build.log" 2>&1 ||
       ! cmake --build "$dir/src/$lib/build" -j"$jobs" >>"$dir/src/$lib/build.log" 2>&1 ||
       ! cmake --install "$dir/src/$lib/build" >/dev/null; then
        tail -30 "$dir/src/$lib/build.log" >&2
        echo "-- $lib failed; its log: $dir/src/$lib/build.log" >&2
        exit 1
    fi
    rm -rf "$dir/src/$lib"
    echo "$version" >"$stamp"
    echo "-- built $lib in $((SECONDS - start)) s" >&2
}

updated=0
for lib in "$@"; do
    stamp="$dir/install/.$lib-$(recipe "$lib")"
    [ -f "$stamp" ] && continue
    rm -rf "$dir/src/$lib" && mkdir -p "$dir/src/$lib"
    if [ -z "${package[$lib]}" ]; then
        cp -R "$here/$lib" "$dir/src/$lib/source"
        build "$lib" "$dir/src/$lib/source" ours
        continue
    fi
    # The newest source package of the release.
    if [ $updated = 0 ]; then
        apt-get "${apt_options[@]}" update
        updated=1
    fi
    version=$(apt-cache "${apt_options[@]}" showsrc "${package[$lib]}" |
              sed -n 's/^Version: //p' | sort -V | tail -1)
    (cd "$dir/src/$lib" && apt-get "${apt_options[@]}" source "${package[$lib]}=$version" >/dev/null)
    source=$(find "$dir/src/$lib" -mindepth 1 -maxdepth 1 -type d | head -1)
    for patch in "$here/$lib"/*.patch; do
        [ -e "$patch" ] && patch -d "$source" -p1 -s <"$patch"
    done
    [ -f "$here/$lib/CMakeLists.txt" ] && cp "$here/$lib/CMakeLists.txt" "$source/"
    build "$lib" "$source" "$version"
done
