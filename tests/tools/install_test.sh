#!/usr/bin/env bash
# An installation, moved after install, serves its tools and hosts with nothing of the build
# tree: tqctl (also by its bare name) registers its own module, lists the demo product, checks a
# topic; tqcustomize opens on the product (desktop entry and icon installed); hosts built with
# pkg-config and with CMake read the message tqctl reads.
# Usage: install_test.sh BUILD_DIR SOURCE_DIR BINDIR LIBDIR CXX
set -euo pipefail
build=$1 source=$2 bindir=$3 libdir=$4 cxx=$5
work=$(mktemp -d /tmp/tq-install.XXXXXX)
trap 'rm -rf "$work"' EXIT
unset LD_LIBRARY_PATH TQ_TQFLTR2_DIR
fail() { echo "FAILED: $*" >&2; exit 1; }
run() { LD_DEBUG=files LD_DEBUG_OUTPUT="$work/loaded" "$@"; }

cmake --install "$build" --prefix "$work/staged" >/dev/null
mv "$work/staged" "$work/inst"
inst=$work/inst
tqctl=$inst/$bindir/tqctl

for lib in libtqcstm.so libtqfltr2.so; do
    grep -qF "libtqplatform.so => $inst/$libdir/libtqplatform.so" <<<"$(ldd "$inst/$libdir/$lib")" ||
        fail "$lib does not find the platform library beside it"
done

prefix=$work/prefix
run "$inst/$bindir/tqreg" --prefix "$prefix" import "$source/samples/demo/demo.reg"
cp -R "$source/samples/demo/drive_c/." "$prefix/drives/c/"
# Found on PATH, from the folder of the tqctl built, it still takes its own installation's module.
out=$(cd "$build/tools/tqctl" && PATH="$inst/$bindir:$PATH" run tqctl --prefix "$prefix" register)
[ "$out" = "registered OW.VXCtrlFileManager.1 from $inst/$libdir/libtqcstm.so" ] || fail "$out"
out=$(run "$tqctl" --prefix "$prefix" --product Demo list)
grep -q $'^1\t1\t1\t1\tTrellisquest' <<<"$out" || fail "list: $out"
doc="$prefix/drives/c/Program Files/Trellisquest/Docs/relnotes.txt"
out=$(run "$tqctl" --prefix "$prefix" --product Demo check "$doc" 2>&1)
[ "$out" = $'1\t'"$doc" ] || fail "check: $out"
message=$(run "$tqctl" --prefix "$prefix" --raw error -1043 | od -An -tx1)
# The desktop window opens on the one product installed, with its entry and icon beside it.
QT_QPA_PLATFORM=offscreen run "$inst/$bindir/tqcustomize" --prefix "$prefix" --quit-after-load \
    2>/dev/null || fail "tqcustomize"
ls "$inst"/share/applications/tqcustomize.desktop "$inst"/share/icons/*/*/*/tqcustomize.svg \
    >/dev/null || fail "desktop entry or icon"

cat >"$work/host.cc" <<'HOST'
#include <cstdio>
#include <string>

#include "controlfile/DBTypes.h"
#include "frame/CtrlFileMgrIds.h"
#include "frame/Exports.h"
#include "platform/ComHost.h"
#include "resources/ErrorCodes.h"

// The values a host passes and reads, from the installed headers alone.
static_assert(tq::DBTYPE_FREE == 3 && tq::EDITSTATUS_UNKNOWN == 4 && tq::DISPID_PRODUCTNAME == 18);

int main() {
    // From the platform library: the class identifier as the registry holds it.
    std::fprintf(stderr, "%s\n", tq::GuidToString(tq::CLSID_CtrlFileMgr).c_str());
    uint32_t size = VXCSTM_GetErrorString(tq::TQE_EDITING, nullptr, 0);
    std::string text(size, '\0');
    if (size < 2 || VXCSTM_GetErrorString(tq::TQE_EDITING, text.data(), size) != size) {
        return 1;
    }
    std::printf("%s\n", text.c_str());
    return 0;
}
HOST
export PKG_CONFIG_PATH=$inst/$libdir/pkgconfig
# shellcheck disable=SC2046  # the flags are words
"$cxx" -std=c++20 -o "$work/host" "$work/host.cc" $(pkg-config --cflags --libs tqcstm) \
    -Wl,-rpath,"$(pkg-config --variable=libdir tqcstm)"
[ "$(run "$work/host" | od -An -tx1)" = "$message" ] || fail "pkg-config host"

cat >"$work/CMakeLists.txt" <<'PROJECT'
cmake_minimum_required(VERSION 3.25)
project(Host LANGUAGES CXX)
find_package(tqcstm 1.0 REQUIRED)
add_executable(host host.cc)
target_link_libraries(host PRIVATE tqcstm::tqcstm)
PROJECT
cmake -S "$work" -B "$work/build" -DCMAKE_PREFIX_PATH="$inst" -DCMAKE_CXX_COMPILER="$cxx" \
    >/dev/null
cmake --build "$work/build" >/dev/null
[ "$(run "$work/build/host" | od -An -tx1)" = "$message" ] || fail "CMake host"
loaded=$(sed -n 's/.*calling init: //p' "$work"/loaded.*)
grep -qx "$inst/$libdir/libtqfltr2.so" <<<"$loaded" || fail "no topic-filter library loaded"
! grep -F "$build" <<<"$loaded" || fail "libraries of the build tree were loaded"
echo "installed tools and hosts work"
