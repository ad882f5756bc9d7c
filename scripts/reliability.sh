#!/usr/bin/env bash
# Runs the reliability campaigns at full length: the crash, fault and concurrency campaigns of
# tests/reliability, then every fuzz target for TQ_FUZZ_SECONDS (1800 unless told) with a fresh
# seed. Prints the counts each campaign reports and the fuzzers' execution counts.
# Usage: scripts/reliability.sh [--no-fuzz]
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
scripts/build.sh build-reliability -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTQ_WERROR=OFF
log=$(mktemp)
TQ_RELIABILITY_FULL=1 TQ_TOOLS_DIR="$PWD/build-reliability/tools" \
    build-reliability/tests/tq_reliability_tests 2>&1 | tee "$log"
status=${PIPESTATUS[0]}
echo "== reliability summary"
grep "^RELIABILITY " "$log" || true
rm -f "$log"
[ "$status" = 0 ] || exit "$status"
[ "${1:-}" = "--no-fuzz" ] && exit 0
scripts/build.sh build-fuzz -DTQ_BUILD_FUZZ=ON -DTQ_SANITIZE=ON -DTQ_BUILD_TESTS=OFF \
    -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14
for target in build-fuzz/fuzz/*_fuzz; do
    name=$(basename "$target" _fuzz)
    work=$(mktemp -d)
    cp -r "fuzz/corpus/$name/." "$work/"
    echo "== fuzzing $name for ${TQ_FUZZ_SECONDS:-1800} s"
    "$target" -max_total_time="${TQ_FUZZ_SECONDS:-1800}" -timeout=10 -print_final_stats=1 \
        -artifact_prefix="$work/" "$work" 2>&1 | grep -E "^stat::|^Done|ERROR|==[0-9]+==" || true
    if ls "$work"/crash-* "$work"/timeout-* "$work"/leak-* "$work"/oom-* >/dev/null 2>&1; then
        echo "fuzzing $name found a failure: $(ls "$work"/crash-* "$work"/timeout-* "$work"/leak-* "$work"/oom-* 2>/dev/null)" >&2
        exit 1
    fi
    rm -rf "$work"
done
