#!/usr/bin/env bash
# Prepares the Wine prefix named by HALCYRA_WINEPREFIX with a display of the given DPI, and
# waits until its server has ended, so that the tests that follow start it afresh on their
# own X display.
set -euo pipefail
dpi="$1"
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
"$root/scripts/wine-run.sh" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f
WINEPREFIX="$HALCYRA_WINEPREFIX" /usr/lib/wine/wineserver -w 2>/dev/null || WINEPREFIX="$HALCYRA_WINEPREFIX" wineserver -w
