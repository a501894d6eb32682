#!/usr/bin/env bash
# Runs one fuzzer for a few seconds: first over every seed of its committed
# corpus, then on new inputs kept in a scratch folder (never in the seeds).
# Usage: smoke.sh FUZZER SECONDS SCRATCH SEEDS
set -euo pipefail
fuzzer=$1 seconds=$2 scratch=$3 seeds=$4
mkdir -p "$scratch"
exec "$fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -artifact_prefix="$scratch/" -print_final_stats=1 "$scratch" "$seeds"
