#!/usr/bin/env bash
# HALCYRA.exe end to end under Wine in a virtual display:
#   - "--no-io --screenshot PATH" writes the 1180 x 800 opaque picture of the editor (probed where
#     the layout puts its colours and title) and exits 0; a path it cannot write exits 1 and
#     leaves no file;
#   - a second start brings the first window forward (from minimised) and exits 0, one window
#     left; a second start with "--screenshot" exits 1 without the file;
#   - the Save Screenshot command writes its time-stamped PNG into the temporary folder;
#   - with devices of a sound server of the test's own, a tone played into the input comes out
#     chorused (level, frequency, modulation, no gaps), a click on the editor's BYPASS toggle makes
#     the output the input tone itself, WM_CLOSE ends the program with exit code 0 within 3 s, and
#     the settings file afterwards holds the devices the program used, and having no MIDI port
#     printed nothing.
#   program_test.sh HALCYRA_EXE PROBE_EXE ANALYSE_EXE
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
exe="$1"
probe="$2"
analyse_exe="$3"
wine_run="$root/scripts/wine-run.sh"
prefix="${HALCYRA_WINEPREFIX:-$root/build/wineprefix}"
seconds=6
bypass_seconds=4
# The middle of the BYPASS toggle, in editor units.
bypass_x=101
bypass_y=778
close_limit_ms=3000
# Mesa's software rasteriser draws the editor on as many threads as the machine has cores, and on
# a loaded machine they starve the audio path that a graphics card would leave alone: one core
# is what the editor's frames may take here.
export LP_NUM_THREADS=1

work="$(mktemp -d "${TMPDIR:-/tmp}/halcyra-program.XXXXXX")"
# shellcheck source=tests/app/live_audio_common.sh
source "$root/tests/app/live_audio_common.sh"
program_pids=()
settings_backup=""
cleanup() {
  for pid in "${program_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  live_audio_cleanup
  if [ -n "$settings_backup" ]; then
    if [ -f "$settings_backup" ]; then cp "$settings_backup" "$settings"; else rm -f "$settings"; fi
  fi
  rm -rf "$work"
}
trap cleanup EXIT

fail() { echo "FAIL: $*"; exit 1; }
# A Windows path of the prefix as a path of this machine.
unix_path() {
  local path="${1%$'\r'}"
  path="${path//\\//}"
  case "$path" in C:/*) printf '%s/drive_c/%s' "$prefix" "${path#C:/}" ;; Z:/*) printf '/%s' "${path#Z:/}" ;; esac
}
start_program() {  # output file, then the program's arguments
  local out="$1"; shift
  "$wine_run" "$exe" "$@" >"$out" 2>&1 &
  program_pid=$!
  program_pids+=("$program_pid")
  "$wine_run" "$probe" wait-window 60 || { cat "$out"; fail "no main window"; }
}
close_program() {
  "$wine_run" "$probe" close "$close_limit_ms" || fail "WM_CLOSE did not end the program in time with code 0"
  local status=0
  wait "$program_pid" || status=$?
  [ "$status" -eq 0 ] || fail "the program ended with $status"
}

echo "== command-line screenshot"
status=0
timeout 120 "$wine_run" "$exe" --no-io --screenshot "$(windows_path "$work/shot.png")" || status=$?
[ "$status" -eq 0 ] || fail "the screenshot run ended with $status"
"$wine_run" "$probe" check-screenshot "$(windows_path "$work/shot.png")" || fail "not the editor's picture"
# A quoted path with spaces and characters outside the system's code page.
status=0
timeout 120 "$wine_run" "$exe" --screenshot "$(windows_path "$work/Grüße Bild 截图.png")" || status=$?
[ "$status" -eq 0 ] && [ -s "$work/Grüße Bild 截图.png" ] || fail "a path outside the code page was not written ($status)"
status=0
timeout 120 "$wine_run" "$exe" --no-io --screenshot "$(windows_path "$work/missing/shot.png")" 2>"$work/err" || status=$?
[ "$status" -eq 1 ] || fail "an unwritable screenshot ended with $status, not 1"
[ ! -e "$work/missing/shot.png" ] || fail "a file was left"
grep -q "could not be saved" "$work/err" || fail "no error on standard error"

echo "== one instance"
start_program "$work/first.out" --no-io
"$wine_run" "$probe" minimise
"$wine_run" "$probe" is-iconic || fail "the window did not minimise"
status=0
timeout 120 "$wine_run" "$exe" || status=$?
[ "$status" -eq 0 ] || fail "the second start ended with $status"
! "$wine_run" "$probe" is-iconic || fail "the first window did not come forward"
[ "$("$wine_run" "$probe" count-windows | tr -d '\r')" = "1" ] || fail "not exactly one main window"
status=0
timeout 120 "$wine_run" "$exe" --screenshot "$(windows_path "$work/second.png")" 2>/dev/null || status=$?
[ "$status" -eq 1 ] || fail "a second start with --screenshot ended with $status, not 1"
[ ! -e "$work/second.png" ] || fail "the second start wrote a screenshot"

echo "== Save Screenshot"
"$wine_run" "$probe" command 40029
for _ in $(seq 100); do grep -q "^Screenshot saved to: " "$work/first.out" && break; sleep 0.1; done
saved="$(sed -n 's/^Screenshot saved to: //p' "$work/first.out" | head -1)"
[ -n "$saved" ] || { cat "$work/first.out"; fail "the command saved nothing"; }
case "$saved" in *\\Temp\\HALCYRA_screenshot_[0-9]*_[0-9]*.png*) ;; *) fail "unexpected name $saved" ;; esac
"$wine_run" "$probe" check-screenshot "${saved%$'\r'}" || fail "the saved screenshot is not the editor"
rm -f "$(unix_path "$saved")"
close_program

echo "== live audio"
local_appdata="$("$wine_run" cmd /c 'echo %LOCALAPPDATA%' 2>/dev/null | head -1)"
settings="$(unix_path "$local_appdata")/Halcyra/settings.ini"
settings_backup="$work/settings.backup"
[ -f "$settings" ] && cp "$settings" "$settings_backup"
live_audio_start_server
# The named devices must be used: the defaults point at a silent sink of their own.
pactl load-module module-null-sink sink_name=halcyra_spare sink_properties=device.description=Halcyra-Spare >/dev/null
pactl set-default-sink halcyra_spare
pactl set-default-source halcyra_spare.monitor
live_audio_play_tone
attempts=3
for attempt in $(seq "$attempts"); do
  echo "-- attempt $attempt of $attempts"
  live_audio_write_settings "$settings"
  live_audio_start_recording "$work/effect.raw"
  start_program "$work/live.out"
  sleep "$seconds"
  live_audio_stop_recording
  "$wine_run" "$probe" click-editor "$bypass_x" "$bypass_y" || fail "no editor to click"
  live_audio_start_recording "$work/bypass.raw"
  sleep "$bypass_seconds"
  close_program
  live_audio_stop_recording
  cat "$work/live.out"
  if grep -q "MIDI input devices\|MIDI output devices" "$work/live.out"; then
    fail "a start on a machine without MIDI ports printed the MIDI library's warnings"
  fi
  live_audio_check_settings "$settings" || fail "the settings file does not hold the devices used"
  if "$wine_run" "$analyse_exe" "$(windows_path "$work/effect.raw")" "$(windows_path "$work/bypass.raw")" \
    "$tone_hz" "$tone_amplitude"; then
    exit 0
  fi
done
fail "the program's output was not the chorused tone, then the input itself"
