#!/usr/bin/env bash
# Sets up and runs every test: installs what is missing, builds, runs the suite, then builds
# and runs the suite once more under AddressSanitizer and UndefinedBehaviorSanitizer.
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
