#!/usr/bin/env bash
# Prints the size of the test suite against the size of the code it tests, so that the ratio
# stays in sight: test lines are the sources under tests/ and fuzz/ (the fuzz corpora are data,
# not tests), code lines the sources under src/ and tools/. Benchmarks count on neither side.
set -euo pipefail
cd "$(dirname "$0")/.."

# count_lines DIR... : the lines of the source files under the folders, fuzz/corpus left out.
count_lines() {
    find "$@" -path fuzz/corpus -prune -o -type f \( -name '*.cc' -o -name '*.h' -o -name '*.c' \
        -o -name '*.py' -o -name '*.sh' -o -name '*.vbs' \) -print0 | xargs -0 -r cat | wc -l
}

tests=$(count_lines tests fuzz)
code=$(count_lines src tools)
awk -v t="$tests" -v c="$code" 'BEGIN {
    printf "Lines: tests %d, code %d, ratio %.2f\n", t, c, (c > 0 ? t / c : 0)
}'
