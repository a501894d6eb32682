#!/usr/bin/env bash
# Builds the threaded parts with ThreadSanitizer (build/tsan) and runs their
# tests: the engine (both trees listed at once, contents compared ahead on
# worker threads, rows and entries read from another thread during a run),
# the hostile trees, the window's comparison run (the worker thread and its
# hand-over of callbacks to the window's thread), copying between the sides
# (the copy on a worker thread, its questions on the window's thread) and the
# pair view (its files loaded on a thread of Qt's pool). Ends with status 1
# when any test fails or any race is reported. scripts/test.sh
# runs it last; it builds only these tests (about four minutes on two cores).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh

dir=build/tsan
tests=(engine_tests hostile_engine_tests ComparisonRunTest ResultGridTest HostileWindowTest
       CopyBetweenSidesTest PairViewTest)
# A unity build (files compiled in groups), as the sanitizer build of scripts/test.sh.
cmake -S . -B "$dir" -G Ninja -DTANDRIL_TSAN=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_UNITY_BUILD=ON >/dev/null
cmake --build "$dir" -j "$(nproc)" --target "${tests[@]}"

# die_after_fork=0: the window tests start programs with QProcess while the
# window's threads are alive; ThreadSanitizer would end the forked child
# before its exec, although nothing of ours runs in it.
export TSAN_OPTIONS="halt_on_error=0 exitcode=66 die_after_fork=0 suppressions=$PWD/scripts/tsan-qt.supp"
export QT_QPA_PLATFORM=offscreen
failed=0
for test in "${tests[@]}"; do
    binary=$(find "$dir/tests" -type f -name "$test" -perm -u+x | head -1)
    log="$dir/$test.log"
    status=0
    (cd "$(dirname "$binary")" && "./$test") >"$log" 2>&1 || status=$?
    races=$(grep -c "WARNING: ThreadSanitizer" "$log" || true)
    printf '%-22s status %s, %s race reports (%s)\n' "$test" "$status" "$races" "$log"
    [ "$status" -eq 0 ] && [ "$races" -eq 0 ] || failed=1
done
exit "$failed"
