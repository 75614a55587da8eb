#!/usr/bin/env bash
# Tarn.vst3 outside our test programs:
#   Ardour's VST3 scanner (a host we did not write) loads the bundle, reads its factory and buses and
#   gives the class ID the VST 2 to VST 3 convention makes of the VST 2.4 unique ID;
#   tarn-render renders the same samples through Tarn.vst3 as through the VST 2.4 plug-in, at 32- and
#   64-bit precision and in odd blocks.
#   real_host.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME="$work/config" XDG_CACHE_HOME="$work/cache" HOME="$work"
fail() { echo "FAIL: $*" >&2; exit 1; }

scanner=/usr/lib/ardour7/ardour-vst3-scanner
if [ -x "$scanner" ]; then
  out=$(LD_LIBRARY_PATH=/usr/lib/ardour7 "$scanner" -v "$build/Tarn.vst3" 2>&1) || fail "Ardour's scanner: $out"
  grep -q 'Found Plugin: Tarn' <<<"$out" || fail "Ardour's scanner did not find Tarn: $out"
  grep -q 'uid="5653545176376D7461726E0000000000"' <<<"$out" || fail "Ardour's scanner read another class ID: $out"
  grep -q 'n_inputs="2" n_outputs="2".*n_midi_inputs="1"' <<<"$out" || fail "Ardour's scanner read other buses: $out"
  echo "ardour-vst3-scanner: Tarn found, class ID by the VST 2 convention, stereo in and out, one MIDI input"
else
  echo "ardour-vst3-scanner: not installed (scripts/install-deps.sh installs ardour); skipped"
fi

"$build/tarn-render" --plugin "$build/Tarn.vst3" --info >"$work/info.txt" || fail "tarn-render --info: $(cat "$work/info.txt")"
grep -q '^format: *VST3' "$work/info.txt" || fail "--info does not name VST3"
for precision in 32 64; do
  for block in 7 4096; do
    args=(--precision $precision --block $block --set thresh=-8dB --set release=50ms --set dither=16bits)
    "$build/tarn-render" --plugin "$build/Tarn.so" "${args[@]}" --out "$work/vst.wav" >/dev/null
    "$build/tarn-render" --plugin "$build/Tarn.vst3" "${args[@]}" --out "$work/vst3.wav" >/dev/null
    # The samples (a float WAV's header carries the time it was written).
    sox "$work/vst.wav" -t f32 "$work/vst.raw" && sox "$work/vst3.wav" -t f32 "$work/vst3.raw"
    cmp -s "$work/vst.raw" "$work/vst3.raw" || fail "the VST3 render differs at $precision bits in blocks of $block"
  done
done
echo "tarn-render: Tarn.vst3 renders byte for byte as Tarn.so (32 and 64 bits, blocks of 7 and 4096)"
