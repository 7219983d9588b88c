#!/usr/bin/env bash
# Builds and runs every test: the portable code natively under AddressSanitizer
# and UndefinedBehaviorSanitizer (its threaded tests also under ThreadSanitizer), a short
# fuzzing run of the state reader,
# then the Windows build under Wine (in a virtual X display, for OpenGL). Ends with one line "N passed, N failed".
set -uo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
bash scripts/deps.sh || { echo "dependency installation failed"; echo "0 passed, 1 failed"; exit 1; }

jobs="$(nproc)"
status=0
junits=()

run_preset() {  # preset, ctest's extra arguments, then an optional wrapper command for ctest
  local preset="$1" filter="$2"; shift 2
  local dir="build/$preset"
  echo "== $preset: configure and build"
  if ! cmake --preset "$preset" >"build/$preset.configure.log" 2>&1; then
    cat "build/$preset.configure.log"; echo "$preset: configure failed"; status=1; return
  fi
  grep -E '^-- HALCYRA:' "build/$preset.configure.log" || true
  if ! cmake --build --preset "$preset" -j "$jobs" >"build/$preset.build.log" 2>&1; then
    tail -60 "build/$preset.build.log"; echo "$preset: build failed"; status=1; return
  fi
  echo "== $preset: tests"
  rm -rf "$dir/test-reports"
  # shellcheck disable=SC2086 # the filter is a list of ctest arguments
  "$@" ctest --preset "$preset" -j "$jobs" $filter --output-junit "$root/$dir/ctest-junit.xml" || status=1
  junits+=("$dir/ctest-junit.xml")
}

mkdir -p build
run_preset native ""
# Code shared between threads, again under ThreadSanitizer.
run_preset native-tsan "-L threads"
# The state reader under libFuzzer, for a bounded time.
run_preset fuzz ""
run_preset win64 "" xvfb-run -a -s "-screen 0 1600x1200x24"

python3 scripts/summarize_tests.py "${junits[@]}" || status=1
exit "$status"
