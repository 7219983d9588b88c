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
tone_hz=480
tone_amplitude=0.3
input_device="Monitor of Halcyra-Input-Sink"
output_device="Halcyra-Ausgabe-Äöü"

work="$(mktemp -d "${TMPDIR:-/tmp}/halcyra-live.XXXXXX")"
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  "$root/scripts/pulse-null.sh" stop "$work/pulse" || true
  rm -rf "$work"
}
trap cleanup EXIT

windows_path() { printf 'Z:%s' "${1//\//\\}"; }

eval "export $("$root/scripts/pulse-null.sh" start "$work/pulse")"

python3 - "$work/tone.raw" "$tone_hz" "$tone_amplitude" <<'PY'
import array, math, sys
path, hz, amplitude = sys.argv[1], float(sys.argv[2]), float(sys.argv[3])
rate, seconds = 48000, 40
samples = array.array('f')
for i in range(rate * seconds):
    s = amplitude * math.sin(2 * math.pi * hz * i / rate)
    samples.append(s)
    samples.append(s)
if sys.byteorder != 'little':
    samples.byteswap()
open(path, 'wb').write(samples.tobytes())
PY

mkdir -p "$work/settings"
settings="$work/settings/settings.ini"
printf '[audio]\r\nsr=48000\r\nbuffer=2048\r\nindev=%s\r\noutdev=%s\r\n' "$input_device" "$output_device" |
  iconv -f UTF-8 -t UTF-16LE | { printf '\xff\xfe'; cat; } >"$settings"

pacat --playback -d halcyra_in --format=float32le --rate=48000 --channels=2 "$work/tone.raw" &
pids+=($!)

run_host() {  # recording, then the runner's extra arguments
  local recording="$1"; shift
  pacat --record -d halcyra_out.monitor --format=float32le --rate=48000 --channels=2 >"$recording" &
  local recorder=$!
  pids+=("$recorder")
  local status=0
  timeout 120 "$root/scripts/wine-run.sh" "$run_exe" "$(windows_path "$work/settings/")" "$seconds" "$@" \
    >"$work/run.log" 2>"$work/run.err" || status=$?
  sleep 0.3
  kill "$recorder" 2>/dev/null || true
  wait "$recorder" 2>/dev/null || true
  cat "$work/run.log"
  if [ "$status" -ne 0 ]; then cat "$work/run.err"; echo "host run failed ($status)"; exit 1; fi
  grep -qF "stream: in \"$input_device\" out \"$output_device\"" "$work/run.log" ||
    { echo "the saved devices were not used"; exit 1; }
}

check_settings_file() {
  [ "$(head -c 2 "$settings" | od -An -tx1 | tr -d ' ')" = "fffe" ] || { echo "settings.ini lost its BOM"; exit 1; }
  local text
  text="$(iconv -f UTF-16 -t UTF-8 "$settings" | tr -d '\r')"
  for line in "indev=$input_device" "outdev=$output_device" "sr=48000" "buffer=2048" "driver=0"; do
    grep -qxF "$line" <<<"$text" || { echo "settings.ini lacks '$line':"; echo "$text"; exit 1; }
  done
}

# A loaded machine can make Wine's sound path drop out beyond what the analyser tolerates; a
# second attempt tells such an accident from a fault of the host, which fails every time.
attempts=3
for attempt in $(seq "$attempts"); do
  echo "== attempt $attempt of $attempts"
  run_host "$work/effect.raw"
  check_settings_file
  run_host "$work/bypass.raw" bypass
  check_settings_file
  if "$root/scripts/wine-run.sh" "$analyse_exe" "$(windows_path "$work/effect.raw")" \
    "$(windows_path "$work/bypass.raw")" "$tone_hz" "$tone_amplitude"; then
    exit 0
  fi
done
exit 1
