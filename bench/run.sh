#!/usr/bin/env bash
# Builds Tandril (the plain build) and runs the benchmark: generates the
# workloads once into bench/data/, checks every program's answer, times
# TandrilB, diff -rq, rsync -rcn, the read floors and cat in interleaved rounds
# on a warm and on a cold page cache, times the desktop program's copy against
# cp, and prints medians, ratios, peak memory and stop latency.
# The printed summary is also saved in bench/results/.
#
#   bench/run.sh [--scale S] [--rounds N] [--workload LIST] [more TandrilBench options]
#
# bench/run.sh --help lists every option. The exit status is TandrilBench's:
# 0 when every check passed, 1 when an answer was wrong, 2 on a setup failure.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake -S . -B build/plain -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTANDRIL_BENCH=ON >/dev/null
targets=(TandrilBench TandrilGen ReadFloor StopLatency CopyRun TandrilBSequential)
# TandrilB is timed when the build has it; the runner skips it otherwise.
if cmake --build build/plain --target help | grep -q '^TandrilB:'; then targets+=(TandrilB); fi
cmake --build build/plain -j "$(nproc)" --target "${targets[@]}"
mkdir -p bench/results
log=bench/results/run-$(date -u +%Y%m%d-%H%M%S).txt
set +e
build/plain/bench/TandrilBench "$@" | tee "$log"
status=${PIPESTATUS[0]}
set -e
echo "(saved in $log)"
exit "$status"
