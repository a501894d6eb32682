#!/usr/bin/env bash
# Builds Tandril twice (plain, and with AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs every test in both builds; checks the
# Debian package with lintian; then builds the fuzzers with clang and runs
# each for a few seconds, and runs the threaded tests under ThreadSanitizer
# (scripts/tsan.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
start=$SECONDS
step() { echo "== [$((SECONDS - start)) s] $*"; }

step "checking the Debian packages for building and testing"
scripts/deps.sh test

jobs=$(nproc)
for kind in plain asan; do
    dir=build/$kind
    # The benchmark tools and their own tests are built and run in the plain
    # build only: the sanitizer build is for the programs and their tests. It
    # is a unity build (files compiled in groups), which takes half the time;
    # the plain build compiles each file on its own, as a developer does.
    flags=(-DTANDRIL_TESTS=ON -DTANDRIL_BENCH=ON)
    [ "$kind" = asan ] && flags=(-DTANDRIL_TESTS=ON -DTANDRIL_BENCH=OFF -DTANDRIL_SANITIZE=ON
                                 -DCMAKE_BUILD_TYPE=Debug -DCMAKE_UNITY_BUILD=ON)
    step "configuring $dir"
    cmake -S . -B "$dir" -G Ninja "${flags[@]}" >/dev/null
    step "building everything in $dir with $jobs jobs"
    cmake --build "$dir" -j "$jobs"
    step "tests ($kind build)"
    ctest --test-dir "$dir" --output-on-failure -j "$jobs"
done

if command -v lintian >/dev/null; then
    step "lintian on the Debian packages"
    rm -rf build/package
    cpack --config build/plain/CPackConfig.cmake -G DEB -B build/package >/dev/null
    lintian --fail-on error --display-info build/package/*.deb
fi

step "fuzzers (a few seconds each)"
cmake -S fuzz -B build/fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build build/fuzz -j "$jobs"
ctest --test-dir build/fuzz --output-on-failure

step "threaded tests (ThreadSanitizer build)"
scripts/tsan.sh
step "done"
