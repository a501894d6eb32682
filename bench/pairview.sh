#!/usr/bin/env bash
# Builds Tandril (the plain build) and measures the pair view on two text files
# of about 50 MB with 1% of their lines changed: the time until the view shows
# the differences and the longest stall of the window's thread meanwhile (goal:
# at most 50 ms), against GNU diff and git diff --no-index on the same pair in
# the same rounds. Prints the medians and saves them in bench/results/.
#
#   bench/pairview.sh [--rounds N] [--megabytes N]
set -euo pipefail
cd "$(dirname "$0")/.."
rounds=5
megabytes=50
while [ $# -gt 0 ]; do
    case "$1" in
        --rounds) rounds=$2; shift 2 ;;
        --megabytes) megabytes=$2; shift 2 ;;
        *) echo "usage: bench/pairview.sh [--rounds N] [--megabytes N]" >&2; exit 2 ;;
    esac
done
scripts/deps.sh
cmake -S . -B build/plain -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTANDRIL_BENCH=ON >/dev/null
cmake --build build/plain -j "$(nproc)" --target PairViewProbe
probe=build/plain/bench/gui/PairViewProbe
data=bench/data/pairview-$megabytes
if [ ! -f "$data/s.txt" ]; then
    mkdir -p "$data"
    "$probe" generate "$data" "$megabytes"
fi
mkdir -p bench/results
log=bench/results/pairview-$(date -u +%Y%m%d-%H%M%S).txt
export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d)}

# Milliseconds of one command's wall clock.
millis() {
    local start end
    start=$(date +%s%N)
    "$@" >/dev/null 2>&1 || true
    end=$(date +%s%N)
    echo $(((end - start) / 1000000))
}
median() { sort -n | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2}'; }

{
    echo "date: $(date -u '+%Y-%m-%d %H:%M UTC')"
    echo "machine: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | xargs), $(nproc) cores"
    echo "load average at start: $(cut -d' ' -f1-3 /proc/loadavg)"
    echo "pair: $(stat -c %s "$data/m.txt") and $(stat -c %s "$data/s.txt") bytes, $rounds rounds"
} | tee "$log"
cat "$data"/*.txt >/dev/null  # warm the page cache
: >"$log.open"; : >"$log.stall"; : >"$log.thread"; : >"$log.diff"; : >"$log.git"
for ((i = 0; i < rounds; i++)); do
    out=$("$probe" open "$data/m.txt" "$data/s.txt" 2>/dev/null)
    awk '$1 == "open_ms" {print $2}' <<<"$out" >>"$log.open"
    awk '$1 == "stall_ms" {print $2}' <<<"$out" >>"$log.stall"
    awk '$1 == "window_thread_cpu_ms" {print $2}' <<<"$out" >>"$log.thread"
    millis diff "$data/m.txt" "$data/s.txt" >>"$log.diff"
    millis git diff --no-index --stat "$data/m.txt" "$data/s.txt" >>"$log.git"
done
open=$(median <"$log.open")
diff=$(median <"$log.diff")
git=$(median <"$log.git")
{
    echo "$out" | grep -E '^(rows|differences|page_down_ms|f7_ms) '
    echo "median open_ms $open (goal 1000)"
    echo "median stall_ms $(median <"$log.stall") (goal 50), worst $(sort -n "$log.stall" | tail -1)"
    echo "median window_thread_cpu_ms $(median <"$log.thread")"
    echo "median diff_ms $diff, git_diff_ms $git"
    awk -v o="$open" -v d="$diff" -v g="$git" \
        'BEGIN {printf "open / diff %.2f, open / git diff %.2f\n", o / d, o / g}'
    echo "load average at end: $(cut -d' ' -f1-3 /proc/loadavg)"
} | tee -a "$log"
rm -f "$log".open "$log".stall "$log".thread "$log".diff "$log".git
echo "(saved in $log)"
