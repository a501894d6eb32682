#!/usr/bin/env bash
# Builds Tandril and runs it: the desktop program when there is a display,
# otherwise the console program on the two demo folders, showing its report.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake -S . -B build/plain -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/plain -j "$(nproc)"
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -x build/plain/gui/Tandril ]; then
    exec build/plain/gui/Tandril
fi
if [ -x build/plain/batch/TandrilB ]; then
    examples/prepare.sh
    report=$(mktemp --suffix=.csv)
    status=0
    build/plain/batch/TandrilB /file "$report" /fromdir examples/source /todir examples/target \
        /encoding utf8 || status=$?
    echo "--- report ($report), exit status $status"
    cat "$report"
    exit "$status"
fi
echo "built; no program to run yet"
