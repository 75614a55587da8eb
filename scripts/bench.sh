#!/usr/bin/env bash
# Builds the Linux benchmarks and runs them, with the packaged peer limiters when installed.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
scripts/install-deps.sh
cmake --preset linux >/dev/null
cmake --build --preset linux >/dev/null
peers=()
for p in /usr/lib/vst/lsp-plugins/limiter-stereo.so; do
  [ -f "$p" ] && peers+=(--peer "$p")
done
exec build/linux/bench/tarn_bench "${peers[@]}" "$@"
