#!/usr/bin/env bash
# Runs a Windows test program under Wine on an X display of its own, so that no other test's
# windows cover it when the screen is captured, and, with --keyboard, with another keymap.
# Wine follows a keymap that changes while it runs, but a fresh start on a new display maps
# the keys as a US keyboard: so Wine is started first (listing the tests) and the keymap is
# changed under it.
set -euo pipefail
layout=""
if [ "${1:-}" = "--keyboard" ]; then
  layout="$2"
  shift 2
fi
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
export HALCYRA_KEYBOARD="$layout" HALCYRA_WINE_RUN="$root/scripts/wine-run.sh"
exec xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
  if [ -n "$HALCYRA_KEYBOARD" ]; then
    "$HALCYRA_WINE_RUN" "$1" --gtest_list_tests >/dev/null
    setxkbmap "$HALCYRA_KEYBOARD"
  fi
  exec "$HALCYRA_WINE_RUN" "$@"' own-display "$@"
