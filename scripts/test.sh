#!/usr/bin/env bash
# Builds all three targets and runs every test: natively, then the Windows builds under Wine.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
scripts/install-deps.sh

presets=(linux win32 win64)
for preset in "${presets[@]}"; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
done

scripts/wine-prefix.sh start
trap 'scripts/wine-prefix.sh stop' EXIT

status=0
for preset in "${presets[@]}"; do
  echo "== tests: $preset"
  ctest --preset "$preset" -j2 --timeout 300 || status=1
done

echo "== fuzzing the stored state"
scripts/fuzz.sh 90 || status=1
exit $status
