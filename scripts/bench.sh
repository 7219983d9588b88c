#!/usr/bin/env bash
# Builds the benchmarks optimised and natively and runs them, the engine's, the glyph cache's, the
# canvas's, the text entry's, the frame road's, then whole editor frames through the drawing back
# end, synthetic and the plug-in's own, and last, under Wine, the idle cost of an open editor
# window and the plug-in's own editor window's full frames and idle ticks: one line per case, each engine figure the median of three runs pinned to one core
# (taskset where present; BENCH_CPU picks the core, default the last). `scripts/bench.sh [case]`
# runs the cases whose names contain `case`. With --reference the deps script installs Calf's Multi
# Chorus and lilv's lv2bench, and the same run also measures that reference chorus: a different
# product, run for comparison only.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

reference=0
filter=""
for arg in "$@"; do
  case "$arg" in
    --reference) reference=1 ;;
    *) filter="$arg" ;;
  esac
done

mkdir -p build
if [ "$reference" -eq 1 ]; then bash scripts/deps.sh --reference; else bash scripts/deps.sh; fi
cmake --preset bench >build/bench.configure.log
cmake --build --preset bench >build/bench.build.log || { tail -40 build/bench.build.log; exit 1; }
bench=build/bench/bench/engine_bench

cpu="${BENCH_CPU:-$(($(nproc) - 1))}"
pin=()
if command -v taskset >/dev/null; then pin=(taskset -c "$cpu"); fi

# The median of three values.
median3() { printf '%s\n' "$@" | sort -g | sed -n 2p; }
field() { sed -n "s/.*$1=\([^ ]*\).*/\1/p" <<<"$2"; }

for name in $("$bench" --list | grep -F -- "$filter"); do
  runs=()
  for _ in 1 2 3; do runs+=("$("${pin[@]}" "$bench" --case "$name")"); done
  ns=$(median3 "$(field ns_per_frame "${runs[0]}")" "$(field ns_per_frame "${runs[1]}")" "$(field ns_per_frame "${runs[2]}")")
  worst=$(median3 "$(field worst_call_us "${runs[0]}")" "$(field worst_call_us "${runs[1]}")" "$(field worst_call_us "${runs[2]}")")
  awk -v n="$name" -v ns="$ns" -v w="$worst" \
    'BEGIN { printf "case=%s ns_per_frame=%.1f realtime=%.1f worst_call_us=%.1f\n", n, ns, 1e9 / (ns * 48000), w }'
done

"${pin[@]}" build/bench/bench/glyph_bench ${filter:+"$filter"}
"${pin[@]}" build/bench/bench/text_entry_bench ${filter:+"$filter"}
"${pin[@]}" build/bench/bench/frame_bench ${filter:+"$filter"}
# What draws through GL runs unpinned: llvmpipe's rasteriser threads are part of what it costs,
# and on one core they would queue behind each other.
build/bench/bench/canvas_bench ${filter:+"$filter"}
build/bench/bench/gfx_canvas_bench ${filter:+"$filter"}
build/bench/bench/editor_frame_bench ${filter:+"$filter"}

# The idle cost of an open editor window, and the plug-in's own editor in its window, need
# Windows: the Windows build, under Wine, on an X display of their own.
if [[ "editor_idle" == *"$filter"* || "halcyra_editor" == *"$filter"* ]]; then
  cmake --preset win64 >build/win64.configure.log
  cmake --build --preset win64 --target editor_idle_bench halcyra_editor_bench >build/bench-win64.build.log ||
    { tail -40 build/bench-win64.build.log; exit 1; }
fi
if [[ "editor_idle" == *"$filter"* ]]; then
  bash tests/scripts/on_own_display.sh build/win64/bench/editor_idle_bench.exe | grep '^editor_idle'
fi
if [[ "halcyra_editor" == *"$filter"* ]]; then
  bash tests/scripts/on_own_display.sh build/win64/bench/halcyra_editor_bench.exe | grep '^case=halcyra_editor'
fi

if [ "$reference" -eq 1 ]; then
  # lv2bench prints the seconds it took for the frames asked, at 48 kHz.
  frames=4800000
  uri=http://calf.sourceforge.net/plugins/MultiChorus
  seconds=()
  for _ in 1 2 3; do seconds+=("$("${pin[@]}" lv2bench -b 512 -n "$frames" "$uri" 2>/dev/null | awk 'NF == 2 { print $1 }')"); done
  s=$(median3 "${seconds[@]}")
  awk -v s="$s" -v f="$frames" \
    'BEGIN { ns = s * 1e9 / f; printf "case=reference_calf_multi_chorus ns_per_frame=%.1f realtime=%.1f\n", ns, 1e9 / (ns * 48000) }'
fi
