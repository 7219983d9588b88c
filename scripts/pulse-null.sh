#!/usr/bin/env bash
# A PulseAudio daemon of the tests' own, so that Wine's DirectSound lists real capture and
# playback devices on a machine without sound hardware.
#   pulse-null.sh start DIR   starts it in user mode with its runtime folder under DIR and two
#                             null sinks: halcyra_in, "Halcyra-Input-Sink" (what is played into it
#                             is captured from its monitor, the default source) and halcyra_out,
#                             "Halcyra-Ausgabe-Äöü" (the default sink, a playback device with a
#                             non-ASCII name); prints the line PULSE_SERVER=... for the clients
#   pulse-null.sh stop DIR    stops the daemon that start left in DIR (by its process id)
set -euo pipefail

command="${1:-}"
dir="${2:-}"
[ -n "$command" ] && [ -n "$dir" ] || { echo "usage: $0 start|stop DIR" >&2; exit 2; }
mkdir -p "$dir"
dir="$(cd "$dir" && pwd)"
socket="$dir/native"
export PULSE_SERVER="unix:$socket"
export XDG_RUNTIME_DIR="$dir/runtime"
export PULSE_RUNTIME_PATH="$dir/runtime/pulse"
export PULSE_STATE_PATH="$dir/state"
export HOME="$dir/home"
pidfile="$PULSE_RUNTIME_PATH/pid"

case "$command" in
  start)
    mkdir -p "$XDG_RUNTIME_DIR" "$PULSE_RUNTIME_PATH" "$PULSE_STATE_PATH" "$HOME"
    chmod 700 "$XDG_RUNTIME_DIR"
    rm -f "$socket"
    # -n: no configured default modules, only the ones named here.
    pulseaudio -n --daemonize=yes --use-pid-file=yes --exit-idle-time=-1 --system=no \
      --log-target="file:$dir/pulse.log" --log-level=notice \
      -L "module-native-protocol-unix socket=$socket auth-anonymous=1" \
      -L "module-null-sink sink_name=halcyra_in format=float32le rate=48000 channels=2 sink_properties=device.description=Halcyra-Input-Sink" \
      -L "module-null-sink sink_name=halcyra_out format=float32le rate=48000 channels=2 sink_properties=device.description=Halcyra-Ausgabe-Äöü" >/dev/null 2>&1 || {
        echo "pulseaudio did not start" >&2; cat "$dir/pulse.log" >&2 2>/dev/null || true; exit 1; }
    for _ in $(seq 50); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
    pactl set-default-sink halcyra_out
    pactl set-default-source halcyra_in.monitor
    echo "PULSE_SERVER=$PULSE_SERVER"
    ;;
  stop)
    if [ -f "$pidfile" ]; then
      pid="$(cat "$pidfile")"
      kill "$pid" 2>/dev/null || true
      for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
      rm -f "$pidfile"
    fi
    ;;
  *) echo "usage: $0 start|stop DIR" >&2; exit 2 ;;
esac
