#!/usr/bin/env bash
# The main job: builds the Linux plug-in and our host, then runs tarn-render (arguments pass through).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
scripts/install-deps.sh
cmake --preset linux >/dev/null
cmake --build --preset linux >/dev/null
exec build/linux/tarn-render "$@"
