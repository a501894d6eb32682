#!/usr/bin/env bash
# Builds Tandril (the plain build) and runs the desktop program's benchmark:
# the real window on the offscreen platform compares two generated trees of a
# million entries each, against TandrilB on the same trees. Prints run times,
# the window thread's longest stall, find and scroll times and peak memory;
# the summary is also saved in bench/results/.
#
#   bench/gui.sh [--entries N] [--rounds N] [--speed N] [--data DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake -S . -B build/plain -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTANDRIL_BENCH=ON >/dev/null
cmake --build build/plain -j "$(nproc)" --target TandrilB WindowProbe TandrilGuiBench
mkdir -p bench/results
log=bench/results/gui-$(date -u +%Y%m%d-%H%M%S).txt
set +e
build/plain/bench/gui/TandrilGuiBench "$@" | tee "$log"
status=${PIPESTATUS[0]}
set -e
echo "(saved in $log)"
exit "$status"
