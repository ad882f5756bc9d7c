#!/usr/bin/env bash
# Sets up and runs every test: installs what is missing, builds, runs the suite, builds and runs
# the suite once more under AddressSanitizer and UndefinedBehaviorSanitizer, then builds the fuzz
# targets with clang and fuzzes each with a fixed seed (its corpus is also replayed by the suite).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
scripts/build.sh build
(cd build && ctest --output-on-failure -j"$(nproc)" --timeout 600)
if [ "${TQ_SKIP_SANITIZERS:-0}" != 1 ]; then
    scripts/build.sh build-asan -DTQ_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
    (cd build-asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
        ctest --output-on-failure -j"$(nproc)" --timeout 900)
fi
if [ "${TQ_SKIP_FUZZ:-0}" != 1 ]; then
    scripts/build.sh build-fuzz -DTQ_BUILD_FUZZ=ON -DTQ_SANITIZE=ON -DTQ_BUILD_TESTS=OFF \
        -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14
    for target in build-fuzz/fuzz/*_fuzz; do
        name=$(basename "$target" _fuzz)
        work=$(mktemp -d)
        cp -r "fuzz/corpus/$name/." "$work/"
        # A fixed seed and count make this stage repeatable: it fails only when a change to the
        # code makes one of these inputs fail. Long campaigns with fresh seeds run separately.
        echo "Fuzzing $name: ${TQ_FUZZ_RUNS:-300000} inputs from seed ${TQ_FUZZ_SEED:-1}"
        if ! "$target" -seed="${TQ_FUZZ_SEED:-1}" -runs="${TQ_FUZZ_RUNS:-300000}" -timeout=10 \
            -print_final_stats=1 \
            "$work" >"$work.log" 2>&1; then
            cat "$work.log"
            echo "fuzzing $name found a failure" >&2
            exit 1
        fi
        grep -E "^stat::number_of_executed_units|^Done" "$work.log" || true
        rm -rf "$work" "$work.log"
    done
fi
