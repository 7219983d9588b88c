#!/usr/bin/env bash
# The channels chosen in the settings, end to end on real DirectSound devices under Wine: two
# tones of their own frequencies played into the input sink's left and right channels, the host
# run bypassed with the input pair 2/3 and the output pair 2/3, and the output sink's monitor
# recorded. The stream must capture only the input's second channel (so both halves of the
# effect hear its tone) and play only on the output's second channel (the first stays silent);
# the settings file must keep the pairs chosen.
#   live_audio_channels_test.sh RUN_EXE ANALYSE_EXE
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
run_exe="$1"
analyse_exe="$2"
seconds=6
right_hz=720
pairs=("in1=2" "in2=3" "out1=2" "out2=3")

# shellcheck source=tests/app/live_audio_common.sh
source "$root/tests/app/live_audio_common.sh"
live_audio_begin channels
live_audio_play_tone "$right_hz"

# A loaded machine can make Wine's sound path drop out; a fault of the host fails every attempt.
attempts=3
for attempt in $(seq "$attempts"); do
  echo "== attempt $attempt of $attempts"
  live_audio_write_settings "$settings" "${pairs[@]}"
  live_audio_start_recording "$work/channels.raw"
  status=0
  timeout 120 "$root/scripts/wine-run.sh" "$run_exe" "$(windows_path "$work/settings/")" "$seconds" bypass \
    >"$work/run.log" 2>"$work/run.err" || status=$?
  live_audio_stop_recording
  cat "$work/run.log"
  if [ "$status" -ne 0 ]; then cat "$work/run.err"; echo "host run failed ($status)"; exit 1; fi
  grep -qF "input channels from 2, output channels from 2" "$work/run.log" ||
    { echo "the stream did not take the chosen channels"; exit 1; }
  live_audio_check_settings "$settings" "${pairs[@]}"
  if "$root/scripts/wine-run.sh" "$analyse_exe" channels "$(windows_path "$work/channels.raw")" 0 "$right_hz" \
    "$tone_amplitude"; then
    exit 0
  fi
done
exit 1
