#!/usr/bin/env bash
# Runs a Windows test program under Wine on an X display of its own, so that no other test's
# windows cover it when the screen is captured; with --keyboard, with another keymap, and with
# --screen WIDTHxHEIGHT on a screen of that size (1280x1024 otherwise).
# Wine follows a keymap that changes while it runs, but a fresh start on a new display maps
# the keys as a US keyboard: so Wine is started first (listing the tests) and the keymap is
# changed under it.
set -euo pipefail
layout=""
screen="1280x1024"
while [ "${1:-}" = "--keyboard" ] || [ "${1:-}" = "--screen" ]; do
  if [ "$1" = "--keyboard" ]; then layout="$2"; else screen="$2"; fi
  shift 2
done
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
export HALCYRA_KEYBOARD="$layout" HALCYRA_WINE_RUN="$root/scripts/wine-run.sh"
exec xvfb-run -a -s "-screen 0 ${screen}x24" bash -c '
  if [ -n "$HALCYRA_KEYBOARD" ]; then
    "$HALCYRA_WINE_RUN" "$1" --gtest_list_tests >/dev/null
    setxkbmap "$HALCYRA_KEYBOARD"
  fi
  exec "$HALCYRA_WINE_RUN" "$@"' own-display "$@"
