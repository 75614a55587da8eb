#!/usr/bin/env bash
# Builds the Linux benchmarks and runs them beside the packaged peer limiters (installed here when
# missing and the script runs as root), so the figures compare side by side.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
scripts/install-deps.sh
missing=()
for p in lsp-plugins-vst zam-plugins x42-plugins; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  if [ "$(id -u)" -eq 0 ]; then
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null ||
      echo "could not install ${missing[*]}; benchmarking without them" >&2
  else
    echo "peer plug-ins not installed (${missing[*]}); run as root to install them" >&2
  fi
fi
cmake --preset linux >/dev/null
cmake --build --preset linux >/dev/null
peers=()
for p in /usr/lib/vst/lsp-plugins/limiter-stereo.so /usr/lib/vst/ZaMaximX2-vst.so; do
  [ -f "$p" ] && peers+=(--peer "$p")
done
# x42-dpl through our LV2 host: in its sample-peak mode at our threshold (beside the limiter), and in
# its true-peak mode at -1 dBTP (beside TruePeakCeilingProcess).
if [ -d /usr/lib/lv2/dpl.lv2 ]; then
  peers+=(--lv2-peer 'http://gareus.org/oss/lv2/dpl#stereo' --lv2-set threshold=-6)
  peers+=(--lv2-peer 'http://gareus.org/oss/lv2/dpl#stereo' --lv2-set truepeak=1 --lv2-set threshold=-1)
fi
exec build/linux/bench/tarn_bench "${peers[@]}" "$@"
