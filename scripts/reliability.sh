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
scripts/fuzz.sh "${TQ_FUZZ_SECONDS:-1800}"
