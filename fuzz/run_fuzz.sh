#!/usr/bin/env bash
# Writes a fuzz target's seed corpus and runs the target for a bounded time.
# usage: run_fuzz.sh <seed writer> <fuzzer> <work folder> [seconds [libFuzzer options...]]
set -euo pipefail
writer="$1" fuzzer="$2" work="$3" seconds="${4:-10}"
shift $(( $# < 4 ? $# : 4 ))
mkdir -p "$work/seeds" "$work/corpus" "$work/artifacts"
"$writer" "$work/seeds"
exec "$fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
  -artifact_prefix="$work/artifacts/" "$@" "$work/corpus" "$work/seeds"
