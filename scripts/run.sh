#!/usr/bin/env bash
# Builds the Windows deliverables and runs the standalone program under Wine.
# Until the standalone program exists, it builds what there is and says so.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
bash scripts/deps.sh
mkdir -p build
cmake --preset win64 >build/win64.configure.log 2>&1 || { cat build/win64.configure.log; exit 1; }
cmake --build --preset win64 -j "$(nproc)" >build/win64.build.log 2>&1 || { tail -60 build/win64.build.log; exit 1; }

app=build/win64/HALCYRA.exe
plugin=build/win64/HALCYRA.vst3
if [ -f "$app" ]; then
  echo "Built $app$([ -e "$plugin" ] && echo " and $plugin"); starting it under Wine."
  exec xvfb-run -a scripts/wine-run.sh "$app" "$@"
fi
echo "Built in build/win64 (Windows x64, statically linked):"
if [ -e "$plugin" ]; then
  echo "  $plugin  (the VST3 bundle: copy the folder into a host's VST3 folder,"
  echo "   e.g. C:\\Program Files\\Common Files\\VST3, and rescan)"
fi
echo "HALCYRA.exe, the standalone program, is not part of this build yet."
