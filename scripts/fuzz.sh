#!/usr/bin/env bash
# Fuzzes every target built in build-fuzz (the caller builds them) for SECONDS each, starting
# from a copy of its seed corpus fuzz/corpus/NAME. Prints each target's execution count. A crash,
# hang, leak, out-of-memory or oracle failure prints the log and the path of the input that
# caused it (kept; replay it with the target: build-fuzz/fuzz/NAME_fuzz INPUT), and the script
# exits 1 after the remaining targets have run.
# Usage: scripts/fuzz.sh SECONDS [SEED [NAME]]   (SEED 0 or none: libFuzzer picks a fresh seed;
#        NAME: only that target, so that several can run side by side)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:?usage: scripts/fuzz.sh SECONDS [SEED]}
seed=${2:-0}
only=${3:-}
status=0
found=0
for target in build-fuzz/fuzz/*_fuzz; do
    [ -x "$target" ] || continue
    name=$(basename "$target" _fuzz)
    [ -z "$only" ] || [ "$name" = "$only" ] || continue
    found=1
    work=$(mktemp -d "${TMPDIR:-/tmp}/tq-fuzz-$name.XXXXXX")
    mkdir "$work/corpus" "$work/artifacts"
    cp -r "fuzz/corpus/$name/." "$work/corpus/"
    echo "== fuzzing $name for $seconds s (seed $seed)"
    rc=0
    "$target" -seed="$seed" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
        -artifact_prefix="$work/artifacts/" "$work/corpus" >"$work/log" 2>&1 || rc=$?
    grep -E "^INFO: Seed:|^stat::number_of_executed_units|^stat::average_exec_per_sec" \
        "$work/log" || true
    artifacts=$(find "$work/artifacts" -type f | sort)
    if [ "$rc" != 0 ] || [ -n "$artifacts" ] || ! grep -q "^Done " "$work/log"; then
        # The log without the progress lines: the seed, the report and the input's bytes.
        grep -vE $'^#[0-9]+\t' "$work/log" || true
        echo "fuzzing $name failed (exit $rc); log $work/log; input: ${artifacts:-none}" >&2
        status=1
        continue
    fi
    rm -rf "$work"
done
if [ "$found" = 0 ]; then
    echo "no fuzz targets in build-fuzz/fuzz" >&2
    exit 1
fi
exit "$status"
