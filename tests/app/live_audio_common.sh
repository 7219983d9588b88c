# Shared by the end-to-end audio tests (sourced): a sound server of the test's own with null
# sinks, a tone played into the input sink, the output sink's monitor recorded, and the UTF-16
# settings file that names the devices. The caller sets root; it then calls live_audio_begin, or
# sets work itself and calls live_audio_cleanup from its exit trap.

tone_hz=480
tone_amplitude=0.3
input_device="Monitor of Halcyra-Input-Sink"
output_device="Halcyra-Ausgabe-Äöü"
live_audio_pids=()

windows_path() { printf 'Z:%s' "${1//\//\\}"; }

# A work folder and the sound server, both gone at exit; settings names the file in the folder.
live_audio_begin() {  # name
  work="$(mktemp -d "${TMPDIR:-/tmp}/halcyra-$1.XXXXXX")"
  trap 'live_audio_cleanup; rm -rf "$work"' EXIT
  live_audio_start_server
  settings="$work/settings/settings.ini"
}

live_audio_start_server() {
  eval "export $("$root/scripts/pulse-null.sh" start "$work/pulse")"
}

live_audio_cleanup() {
  for pid in "${live_audio_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  "$root/scripts/pulse-null.sh" stop "$work/pulse" || true
}

# 40 s of the tone, 48 kHz float32 stereo, played into the input sink from now on; with an
# argument, the right channel carries a tone of that frequency instead.
live_audio_play_tone() {  # [right_hz]
  python3 - "$work/tone.raw" "$tone_hz" "${1:-$tone_hz}" "$tone_amplitude" <<'PY'
import array, math, sys
path, hz, right_hz, amplitude = sys.argv[1], float(sys.argv[2]), float(sys.argv[3]), float(sys.argv[4])
rate, seconds = 48000, 40
samples = array.array('f')
for i in range(rate * seconds):
    samples.append(amplitude * math.sin(2 * math.pi * hz * i / rate))
    samples.append(amplitude * math.sin(2 * math.pi * right_hz * i / rate))
if sys.byteorder != 'little':
    samples.byteswap()
open(path, 'wb').write(samples.tobytes())
PY
  pacat --playback -d halcyra_in --format=float32le --rate=48000 --channels=2 "$work/tone.raw" &
  live_audio_pids+=($!)
}

live_audio_start_recording() {  # file
  pacat --record -d halcyra_out.monitor --format=float32le --rate=48000 --channels=2 >"$1" &
  live_audio_recorder=$!
  live_audio_pids+=("$live_audio_recorder")
}

live_audio_stop_recording() {
  sleep 0.3
  kill "$live_audio_recorder" 2>/dev/null || true
  wait "$live_audio_recorder" 2>/dev/null || true
}

# The settings file as the platform writes it (UTF-16 with its byte-order mark), naming the two
# devices, 48 kHz and 2048 frames, and any further lines given ("in1=2").
live_audio_write_settings() {  # path [line...]
  local path="$1" line; shift
  mkdir -p "$(dirname "$path")"
  {
    printf '[audio]\r\nsr=48000\r\nbuffer=2048\r\nindev=%s\r\noutdev=%s\r\n' "$input_device" "$output_device"
    for line in "$@"; do printf '%s\r\n' "$line"; done
  } | iconv -f UTF-8 -t UTF-16LE | { printf '\xff\xfe'; cat; } >"$path"
}

# Fails unless the file is still UTF-16 and holds the devices and stream settings, and any further
# lines given.
live_audio_check_settings() {  # path [line...]
  local path="$1"; shift
  [ "$(head -c 2 "$path" | od -An -tx1 | tr -d ' ')" = "fffe" ] || { echo "settings.ini lost its BOM"; return 1; }
  local text line
  text="$(iconv -f UTF-16 -t UTF-8 "$path" | tr -d '\r')"
  for line in "indev=$input_device" "outdev=$output_device" "sr=48000" "buffer=2048" "driver=0" "$@"; do
    grep -qxF "$line" <<<"$text" || { echo "settings.ini lacks '$line':"; echo "$text"; return 1; }
  done
}
