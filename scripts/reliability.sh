#!/usr/bin/env bash
# Runs the reliability campaigns at full length: the crash, fault, power-loss and concurrency
# campaigns of tests/reliability, the monkey of tests/tqcustomize (the window and its dialogs
# under random keys and clicks on a virtual X server for TQ_MONKEY_SECONDS, 1800 unless told),
# then every fuzz target for TQ_FUZZ_SECONDS (1800 unless told) with a fresh seed, the targets
# side by side. Prints the counts each campaign reports and the fuzzers' execution counts.
# Usage: scripts/reliability.sh [--no-fuzz]
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
scripts/build.sh build-reliability -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTQ_WERROR=OFF
log=$(mktemp)
export TQ_RELIABILITY_FULL=1 TQ_TOOLS_DIR="$PWD/build-reliability/tools"
# Each campaign reports, whatever the other found.
status=0
build-reliability/tests/tq_reliability_tests 2>&1 | tee "$log" || status=1
build-reliability/tests/tq_tqcustomize_tests --gtest_filter='Monkey.*' 2>&1 | tee -a "$log" ||
    status=1
echo "== reliability summary"
grep "^RELIABILITY " "$log" || true
rm -f "$log"
[ "$status" = 0 ] || exit "$status"
[ "${1:-}" = "--no-fuzz" ] && exit 0
scripts/build.sh build-fuzz -DTQ_BUILD_FUZZ=ON -DTQ_SANITIZE=ON -DTQ_BUILD_TESTS=OFF \
    -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14
# The targets fuzz side by side, each for the whole time; every one reports, then the first
# failure decides the exit status.
pids=()
for target in build-fuzz/fuzz/*_fuzz; do
    scripts/fuzz.sh "${TQ_FUZZ_SECONDS:-1800}" 0 "$(basename "$target" _fuzz)" &
    pids+=("$!")
done
status=0
for pid in "${pids[@]}"; do
    wait "$pid" || status=1
done
exit "$status"
