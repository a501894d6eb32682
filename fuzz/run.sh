#!/usr/bin/env bash
# Builds the fuzzers and runs each one for SECONDS (default 60), one after the
# other at the lowest priority, so that they yield to everything else on the
# machine. Each fuzzer grows its own corpus in fuzz/corpus-work/<name>/
# (git-ignored), starting from the committed seeds in fuzz/corpus/<name>/;
# findings land in fuzz/corpus-work/findings/. Prints the executions per
# fuzzer and ends with status 1 when any fuzzer found a fault.
#
# Usage: fuzz/run.sh [SECONDS] [NAME...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true
build=build/fuzz
work=fuzz/corpus-work

cmake -S fuzz -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ >/dev/null
nice -n 19 cmake --build "$build" -j 2 >/dev/null

names=("$@")
if [ ${#names[@]} -eq 0 ]; then
    names=()
    for seeds in fuzz/corpus/*/; do names+=("$(basename "$seeds")"); done
fi

mkdir -p "$work/findings"
failed=0
for name in "${names[@]}"; do
    mkdir -p "$work/$name"
    log="$work/$name.log"
    status=0
    nice -n 19 "$build/fuzz_$name" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$work/findings/$name-" \
        "$work/$name" "fuzz/corpus/$name" >"$log" 2>&1 || status=$?
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    corpus=$(find "$work/$name" -type f | wc -l)
    if [ "$status" -eq 0 ]; then
        printf '%-12s %12s executions in %ss, corpus %s inputs\n' "$name" "${runs:-?}" "$seconds" "$corpus"
    else
        failed=1
        printf '%-12s FAILED (status %s) after %s executions: see %s\n' "$name" "$status" "${runs:-?}" "$log"
    fi
done
exit "$failed"
