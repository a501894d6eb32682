#!/usr/bin/env bash
# Builds Tandril twice (plain, and with AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs every test in both builds; then builds
# the fuzzers with clang and runs each for a few seconds, and runs the
# threaded tests under ThreadSanitizer (scripts/tsan.sh).
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

echo "== fuzzers (a few seconds each)"
cmake -S fuzz -B build/fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build build/fuzz -j "$jobs"
ctest --test-dir build/fuzz --output-on-failure

echo "== threaded tests (ThreadSanitizer build)"
scripts/tsan.sh
