#!/usr/bin/env bash
# Builds the benchmarks optimised and natively, and runs them: one line per case.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
mkdir -p build
bash scripts/deps.sh
cmake --preset bench >build/bench.configure.log
cmake --build --preset bench >build/bench.build.log || { tail -40 build/bench.build.log; exit 1; }
# Every benchmark gets the case filter; each prints only the cases whose names contain it.
for bench in engine_bench canvas_bench; do
  build/bench/bench/"$bench" "$@"
done
