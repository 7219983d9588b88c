#!/usr/bin/env bash
# Runs a Windows program under Wine in the project's own prefix (made on first
# use, under a lock so parallel tests do not race to create it).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export WINEPREFIX="${HALCYRA_WINEPREFIX:-$root/build/wineprefix}"
export WINEDEBUG=-all
export WINEARCH=win64
# No Mono or Gecko installers: nothing here needs .NET or HTML.
export WINEDLLOVERRIDES="mscoree,mshtml=${WINEDLLOVERRIDES:+;$WINEDLLOVERRIDES}"
wine=/usr/lib/wine/wine64
[ -x "$wine" ] || wine="$(command -v wine64 || command -v wine)"
mkdir -p "$(dirname "$WINEPREFIX")"
if [ ! -f "$WINEPREFIX/.halcyra-ready" ]; then
  (
    flock 9
    if [ ! -f "$WINEPREFIX/.halcyra-ready" ]; then
      "$wine" wineboot --init >/dev/null 2>&1 || true
      "$(dirname "$wine")/wineserver" -w 2>/dev/null || wineserver -w 2>/dev/null || true
      touch "$WINEPREFIX/.halcyra-ready"
    fi
  ) 9>"$WINEPREFIX.lock"
fi
# The deliverables are Windows 10 programs; Wine's own default is an older system, on which
# the editor would pace its frames by a timer instead of the display.
if [ ! -f "$WINEPREFIX/.halcyra-win10" ]; then
  (
    flock 9
    if [ ! -f "$WINEPREFIX/.halcyra-win10" ]; then
      "$wine" reg add 'HKCU\Software\Wine' /v Version /t REG_SZ /d win10 /f >/dev/null 2>&1 || true
      touch "$WINEPREFIX/.halcyra-win10"
    fi
  ) 9>"$WINEPREFIX.lock"
fi
exec "$wine" "$@"
