#!/usr/bin/env bash
# Builds Tandril and takes docs/screenshot-run.png: the main window under Xvfb
# after comparing the demo folders examples/source and examples/target.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake -S . -B build/plain -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTANDRIL_BENCH=ON >/dev/null
cmake --build build/plain -j "$(nproc)" --target WindowScreenshot
examples/prepare.sh
xvfb-run -a -s "-screen 0 1280x800x24" \
    build/plain/bench/gui/WindowScreenshot examples/source examples/target docs/screenshot-run.png
echo "saved docs/screenshot-run.png"
