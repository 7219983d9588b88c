#!/usr/bin/env bash
# Runs a Windows test program under Wine on an X display of its own, so that no other test's
# windows cover it when the screen is captured; with --keyboard, with another keymap, and with
# --screen WIDTHxHEIGHT on a screen of that size (1280x1024 otherwise).
# A Wine prefix's server keeps the display and the screen size it started with, whichever
# display its later programs name: a server of the shared prefix, started by a test on the
# common display, would put this program's windows on that display's screen. So the program
# gets a prefix of its own (unless HALCYRA_WINEPREFIX names one), whose server starts on this
# display, stays up for the whole run and has ended when the script returns.
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
if [ -z "${HALCYRA_WINEPREFIX:-}" ]; then
  HALCYRA_WINEPREFIX="$root/build/wineprefix-own-$(basename "$1" .exe)${PLUGFW_TEST_WINDOWS_ROAD:+-windows-road}"
fi
export HALCYRA_WINEPREFIX HALCYRA_KEYBOARD="$layout" HALCYRA_WINE_RUN="$root/scripts/wine-run.sh"
exec xvfb-run -a -s "-screen 0 ${screen}x24" bash -c '
  server=/usr/lib/wine/wineserver
  [ -x "$server" ] || server="$(command -v wineserver)"
  export WINEPREFIX="$HALCYRA_WINEPREFIX"
  "$HALCYRA_WINE_RUN" --version >/dev/null  # makes the prefix on first use, starting no server
  "$server" -k 2>/dev/null || true           # a server left from an earlier run on another display
  "$server" -w 2>/dev/null || true
  "$server" -p10                             # lasts from the listing to the run
  trap "\"\$server\" -w 2>/dev/null || true" EXIT  # and ends by itself, saving the prefix
  "$HALCYRA_WINE_RUN" "$1" --gtest_list_tests >/dev/null
  if [ -n "$HALCYRA_KEYBOARD" ]; then setxkbmap "$HALCYRA_KEYBOARD"; fi
  "$HALCYRA_WINE_RUN" "$@"' own-display "$@"
