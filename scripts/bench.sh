#!/usr/bin/env bash
# Builds the benchmarks optimised and natively, and runs them (the engine's, the glyph cache's,
# then the canvas's): one line per case; a case name (or part of one) runs only the matching cases.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
mkdir -p build
bash scripts/deps.sh
cmake --preset bench >build/bench.configure.log
cmake --build --preset bench >build/bench.build.log || { tail -40 build/bench.build.log; exit 1; }
build/bench/bench/engine_bench "$@"
build/bench/bench/glyph_bench "$@"
build/bench/bench/canvas_bench "$@"
