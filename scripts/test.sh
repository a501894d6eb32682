#!/usr/bin/env bash
# Builds Tandril twice (plain, and with AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs every test in both builds.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh

jobs=$(nproc)
for kind in plain asan; do
    dir=build/$kind
    flags=()
    [ "$kind" = asan ] && flags+=(-DTANDRIL_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug)
    cmake -S . -B "$dir" -G Ninja "${flags[@]}" >/dev/null
    cmake --build "$dir" -j "$jobs"
    echo "== tests ($kind build)"
    ctest --test-dir "$dir" --output-on-failure -j "$jobs"
done
