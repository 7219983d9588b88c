#!/usr/bin/env bash
# End-to-end audio through the standalone host on real DirectSound devices under Wine: a sound
# server of this test's own with two null sinks, a tone played into the input sink, the host run
# once with the effect and once bypassed while the output sink's monitor is recorded, then the
# recordings checked by the analyser. The settings file names the devices (the output one
# non-ASCII) as UTF-16 text; both runs must find them, and the file must stay UTF-16 with them.
#   live_audio_test.sh RUN_EXE ANALYSE_EXE
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
run_exe="$1"
analyse_exe="$2"
seconds=6

# shellcheck source=tests/app/live_audio_common.sh
source "$root/tests/app/live_audio_common.sh"
live_audio_begin live
live_audio_write_settings "$settings"
live_audio_play_tone

run_host() {  # recording, then the runner's extra arguments
  local recording="$1"; shift
  live_audio_start_recording "$recording"
  local status=0
  timeout 120 "$root/scripts/wine-run.sh" "$run_exe" "$(windows_path "$work/settings/")" "$seconds" "$@" \
    >"$work/run.log" 2>"$work/run.err" || status=$?
  live_audio_stop_recording
  cat "$work/run.log"
  if [ "$status" -ne 0 ]; then cat "$work/run.err"; echo "host run failed ($status)"; exit 1; fi
  grep -qF "stream: in \"$input_device\" out \"$output_device\"" "$work/run.log" ||
    { echo "the saved devices were not used"; exit 1; }
}

# A loaded machine can make Wine's sound path drop out beyond what the analyser tolerates; a
# second attempt tells such an accident from a fault of the host, which fails every time.
attempts=3
for attempt in $(seq "$attempts"); do
  echo "== attempt $attempt of $attempts"
  run_host "$work/effect.raw"
  live_audio_check_settings "$settings"
  run_host "$work/bypass.raw" bypass
  live_audio_check_settings "$settings"
  if "$root/scripts/wine-run.sh" "$analyse_exe" "$(windows_path "$work/effect.raw")" \
    "$(windows_path "$work/bypass.raw")" "$tone_hz" "$tone_amplitude"; then
    exit 0
  fi
done
exit 1
