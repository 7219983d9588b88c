#!/usr/bin/env bash
# Builds the Windows deliverables and starts HALCYRA.exe under Wine: on the machine's display
# when there is one, otherwise on a virtual display (Xvfb). It first saves a screenshot of the
# main window into build/ and says where it is. Where no sound server answers, it starts the
# project's own PulseAudio with null sinks so that the program finds audio devices. On a virtual
# display the program runs for HALCYRA_RUN_SECONDS (5) and is then closed; on a real display it
# runs until it is quit. Nothing it started is left running: the sound server is stopped and the
# project's Wine prefix is shut down when the script ends, however it ends.
#   scripts/run.sh [HALCYRA.exe options, e.g. --no-io]
# HALCYRA_RUN_PREBUILT=1 skips installing and building (the test command has just built).
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

display_answers() {
  [ -n "${DISPLAY:-}" ] || return 1
  python3 -c "import ctypes, sys; x = ctypes.cdll.LoadLibrary('libX11.so.6'); x.XOpenDisplay.restype = ctypes.c_void_p; sys.exit(0 if x.XOpenDisplay(None) else 1)" 2>/dev/null
}

if [ -z "${HALCYRA_RUN_VIRTUAL_DISPLAY:-}" ]; then
  if [ -z "${HALCYRA_RUN_PREBUILT:-}" ]; then
    bash scripts/deps.sh
    mkdir -p build
    cmake --preset win64 >build/win64.configure.log 2>&1 || { cat build/win64.configure.log; exit 1; }
    echo "Building HALCYRA.exe and HALCYRA.vst3 (build/win64.build.log)"
    cmake --build --preset win64 -j "$(nproc)" >build/win64.build.log 2>&1 || { tail -60 build/win64.build.log; exit 1; }
  fi
  if ! display_answers; then
    echo "No display: running on a virtual one."
    exec xvfb-run -a -s "-screen 0 1920x1200x24" env HALCYRA_RUN_VIRTUAL_DISPLAY=1 bash "$0" "$@"
  fi
fi

app=build/win64/HALCYRA.exe
probe=build/win64/tests/app/app_program_probe.exe
screenshot=build/halcyra-screenshot.png
prefix="${HALCYRA_WINEPREFIX:-$root/build/wineprefix}"
export HALCYRA_WINEPREFIX="$prefix"
work="$(mktemp -d "${TMPDIR:-/tmp}/halcyra-run.XXXXXX")"
pulse_started=""

cleanup() {
  [ -n "$pulse_started" ] && scripts/pulse-null.sh stop "$work/pulse" || true
  WINEPREFIX="$prefix" wineserver -k 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

if ! pactl info >/dev/null 2>&1; then
  eval "export $(scripts/pulse-null.sh start "$work/pulse")"
  pulse_started=1
  echo "No sound server answered: started one with null sinks (play into \"Halcyra-Input-Sink\")."
fi

rm -f "$screenshot"
status=0
scripts/wine-run.sh "$app" --screenshot "Z:${root//\//\\}\\${screenshot//\//\\}" || status=$?
if [ "$status" -eq 0 ]; then
  echo "Screenshot of the main window: $root/$screenshot"
else
  echo "The screenshot could not be taken (exit code $status)."
fi

if [ -z "${HALCYRA_RUN_VIRTUAL_DISPLAY:-}" ]; then
  echo "Starting $app on $DISPLAY; quit it from its File menu."
  scripts/wine-run.sh "$app" "$@"
  exit $?
fi
seconds="${HALCYRA_RUN_SECONDS:-5}"
scripts/wine-run.sh "$app" "$@" &
program=$!
if scripts/wine-run.sh "$probe" wait-window 60 >/dev/null; then
  echo "HALCYRA.exe runs on the virtual display; closing it after $seconds s."
  sleep "$seconds"
  scripts/wine-run.sh "$probe" close 10000 || true
fi
status=0
wait "$program" || status=$?
echo "HALCYRA.exe ended with exit code $status."
exit "$status"
