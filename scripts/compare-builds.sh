#!/usr/bin/env bash
# Renders the same material through two builds of the plug-in and compares the files byte for byte, in
# single and double precision, over several settings and block sizes: a change meant to keep the sound
# (an optimisation, a refactoring) must leave every bit alone.
#   scripts/compare-builds.sh OLD.so [NEW.so]     (NEW defaults to build/linux/Tarn.so)
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
old=${1:?usage: scripts/compare-builds.sh OLD.so [NEW.so]}
new=${2:-build/linux/Tarn.so}
render=build/linux/tarn-render
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The samples of a WAV file, byte for byte (the header's PEAK chunk carries the time of writing).
same_samples() {
  python3 - "$1" "$2" <<'PY'
import struct, sys
def data(path):
    raw = open(path, 'rb').read()
    at = 12
    while at + 8 <= len(raw):
        tag, size = raw[at:at + 4], struct.unpack('<I', raw[at + 4:at + 8])[0]
        if tag == b'data':
            return raw[at + 8:at + 8 + size]
        at += 8 + size + (size & 1)
    sys.exit('no data chunk in ' + path)
sys.exit(0 if data(sys.argv[1]) == data(sys.argv[2]) else 1)
PY
}

# 64-bit float input, so double-precision output keeps every bit: loud pink noise in the left channel
# and a sine in the right, with silence, overs and a sudden step.
ffmpeg -loglevel error -f lavfi -i "anoisesrc=color=pink:sample_rate=44100:amplitude=0.9:seed=7:duration=8" \
  -f lavfi -i "sine=frequency=97:sample_rate=44100:duration=8" \
  -filter_complex "[0][1]amerge=inputs=2,volume='if(lt(t,3),2.5,if(lt(t,4),0,6))':eval=frame" \
  -c:a pcm_f64le "$work/in.wav"

settings=("--set thresh=-6dB" "--set thresh=-20dB --set release=10ms --set makeup=100%"
          "--set thresh=-1dB --set release=1000ms --set dither=16bits" "--set thresh=0dB")
failed=0 count=0
for precision in 32 64; do
  for block in 512 37 4096; do
    for s in "${settings[@]}"; do
      # shellcheck disable=SC2086
      "$render" --plugin "$old" $s --block "$block" --precision "$precision" "$work/in.wav" "$work/old.wav" >/dev/null
      # shellcheck disable=SC2086
      "$render" --plugin "$new" $s --block "$block" --precision "$precision" "$work/in.wav" "$work/new.wav" >/dev/null
      count=$((count + 1))
      if ! same_samples "$work/old.wav" "$work/new.wav"; then
        echo "DIFFERENT: precision $precision, block $block, $s"
        failed=$((failed + 1))
      fi
    done
  done
done
echo "$((count - failed)) of $count renders with the same samples, byte for byte"
[ "$failed" -eq 0 ]
