#!/usr/bin/env bash
# Sets up and runs every test: installs what is missing, builds, runs the suite, builds every
# target (benchmarks included) the way a packager does, in Release, builds and runs the suite
# once more under AddressSanitizer and UndefinedBehaviorSanitizer, then builds the fuzz targets
# with clang and fuzzes each for a minute with a fixed seed (their corpora are also replayed by
# the suite), builds the Windows side and runs its tests under Wine. It ends with the line count
# of the tests against the code.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
scripts/build.sh build
(cd build && ctest --output-on-failure -j"$(nproc)" --timeout 600)
if [ "${TQ_SKIP_RELEASE:-0}" != 1 ]; then
    # Built for its warnings only (at -O3 the compiler warns of what it misses at -O2): the
    # suite has run on these sources above and runs again under the sanitizers below.
    scripts/build.sh build-release -DCMAKE_BUILD_TYPE=Release -DTQ_BUILD_BENCH=ON
fi
if [ "${TQ_SKIP_SANITIZERS:-0}" != 1 ]; then
    scripts/build.sh build-asan -DTQ_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
    (cd build-asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
        ctest --output-on-failure -j"$(nproc)" --timeout 900)
fi
if [ "${TQ_SKIP_FUZZ:-0}" != 1 ]; then
    scripts/build.sh build-fuzz -DTQ_BUILD_FUZZ=ON -DTQ_SANITIZE=ON -DTQ_BUILD_TESTS=OFF \
        -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14
    # A fixed seed keeps the stage replayable: a failure prints the input that caused it, and
    # the same seed mutates the corpus the same way. Long campaigns with fresh seeds run in
    # scripts/reliability.sh.
    scripts/fuzz.sh "${TQ_FUZZ_SECONDS:-60}" "${TQ_FUZZ_SEED:-1}"
fi
if [ "${TQ_SKIP_WINDOWS:-0}" != 1 ]; then
    # The same sources as a Windows module, their tests under Wine (see scripts/windows.sh).
    scripts/windows.sh
fi
scripts/linecount.sh
