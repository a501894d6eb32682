#!/usr/bin/env bash
# Builds the two programs and runs one: the desktop program when there is a
# display, otherwise the console program on the two demo folders, showing its
# report. Installs only what that needs and builds no tests or benchmarks
# (scripts/test.sh builds everything).
set -euo pipefail
cd "$(dirname "$0")/.."
start=$SECONDS
step() { echo "== [$((SECONDS - start)) s] $*"; }

step "checking the Debian packages for building and running"
scripts/deps.sh run
if [ ! -f build/plain/CMakeCache.txt ]; then
    step "configuring build/plain (programs only: no tests, no benchmarks)"
    cmake -S . -B build/plain -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DTANDRIL_TESTS=OFF -DTANDRIL_BENCH=OFF >/dev/null
fi
targets=(TandrilB Tandril)
step "building ${targets[*]} with $(nproc) jobs"
cmake --build build/plain -j "$(nproc)" --target "${targets[@]}"
step "built"

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    step "starting the desktop program: build/plain/gui/Tandril"
    exec build/plain/gui/Tandril
fi
step "no display: the console program on examples/source and examples/target"
examples/prepare.sh
report=$(mktemp --suffix=.csv)
status=0
build/plain/batch/TandrilB /file "$report" /fromdir examples/source /todir examples/target \
    /encoding utf8 || status=$?
echo "--- report ($report), exit status $status"
cat "$report"
exit "$status"
