#!/usr/bin/env bash
# scripts/run.sh as on a fresh machine: no display, no sound server, a Wine prefix never used.
# It must start the program on a virtual display with a sound server of its own, save the
# screenshot of the editor and say where, end with exit code 0, and leave nothing it started
# running: no Wine server of its prefix, no sound server, no virtual display.
#   run_script_test.sh PROBE_EXE
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
probe="$1"
work="$(mktemp -d "${TMPDIR:-/tmp}/halcyra-run-test.XXXXXX")"
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

status=0
env -u DISPLAY -u PULSE_SERVER HALCYRA_RUN_PREBUILT=1 HALCYRA_RUN_SECONDS=1 \
  HALCYRA_WINEPREFIX="$work/prefix" TMPDIR="$work" \
  timeout 300 bash "$root/scripts/run.sh" --no-io >"$work/run.log" 2>&1 || status=$?
grep -v -e MIDI -e ALSA -e '^$' "$work/run.log" || true
[ "$status" -eq 0 ] || fail "run.sh ended with $status"
for line in "No display: running on a virtual one." "No sound server answered" \
  "Screenshot of the main window: $root/build/halcyra-screenshot.png" "HALCYRA.exe ended with exit code 0."; do
  grep -qF "$line" "$work/run.log" || fail "run.sh did not say: $line"
done

# Everything run.sh started has its temporary folder on its command line (the sound server's
# socket, the virtual display's authority file) or works in it or in the prefix (the Wine server
# keeps its socket folder under the temporary folder, the Wine processes sit in the prefix).
leftovers() {
  local dir
  for dir in /proc/[0-9]*; do
    if tr '\0' ' ' <"$dir/cmdline" 2>/dev/null | grep -qF "$work/"; then echo "${dir#/proc/}"; continue; fi
    case "$(readlink "$dir/cwd" 2>/dev/null)" in "$work"/*) echo "${dir#/proc/}" ;; esac
  done
}
# A moment for processes already on their way out; a Wine server idling out on its own is too late.
left=""
for _ in $(seq 4); do
  left="$(leftovers)"
  [ -z "$left" ] && break
  sleep 0.25
done
[ -z "$left" ] || { ps -o pid,args -p "${left//$'\n'/,}" || true; fail "still running after run.sh ended"; }

"$root/scripts/wine-run.sh" "$probe" check-screenshot "Z:${root//\//\\}\\build\\halcyra-screenshot.png" ||
  fail "run.sh's screenshot does not show the editor"
