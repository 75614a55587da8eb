#!/usr/bin/env bash
# Tarn.clap outside our test programs:
#   Qtractor's plug-in scanner (a host we did not write) loads and initialises it and reports its
#   name, audio ports 2:2, one MIDI input, five parameters;
#   tarn-render renders the same file through Tarn.clap as through the VST 2.4 plug-in, byte for byte,
#   at 32- and 64-bit precision and in odd blocks, with --info naming the format.
#   real_host.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME="$work/config"  # no user defaults file
fail() { echo "FAIL: $*" >&2; exit 1; }

scanner=/usr/lib/x86_64-linux-gnu/qtractor/qtractor_plugin_scan
if [ -x "$scanner" ]; then
  line=$(printf 'CLAP:%s\n' "$build/Tarn.clap" | "$scanner" 2>"$work/scan.err" | grep '^CLAP|' || true)
  case "$line" in
    "CLAP|Tarn|2:2|1:0|5:0|"*"|$build/Tarn.clap|"*) echo "qtractor_plugin_scan: $line" ;;
    *) fail "Qtractor's scanner read '$line' ($(cat "$work/scan.err"))" ;;
  esac
else
  echo "qtractor_plugin_scan: not installed (scripts/install-deps.sh installs qtractor); skipped"
fi

"$build/tarn-render" --plugin "$build/Tarn.clap" --info >"$work/info.txt" || fail "tarn-render --info: $(cat "$work/info.txt")"
grep -q '^format: *CLAP' "$work/info.txt" || fail "--info does not name CLAP"
grep -q 'features: *audio-effect limiter mastering stereo' "$work/info.txt" || fail "--info features: $(cat "$work/info.txt")"
for precision in 32 64; do
  for block in 7 4096; do
    args=(--precision $precision --block $block --set thresh=-8dB --set release=50ms --set dither=16bits)
    "$build/tarn-render" --plugin "$build/Tarn.so" "${args[@]}" --out "$work/vst.wav" >/dev/null
    "$build/tarn-render" --plugin "$build/Tarn.clap" "${args[@]}" --out "$work/clap.wav" >/dev/null
    # The samples (a float WAV's header carries the time it was written).
    sox "$work/vst.wav" -t f32 "$work/vst.raw" && sox "$work/clap.wav" -t f32 "$work/clap.raw"
    cmp -s "$work/vst.raw" "$work/clap.raw" || fail "the CLAP render differs at $precision bits in blocks of $block"
  done
done
echo "tarn-render: Tarn.clap renders byte for byte as Tarn.so (32 and 64 bits, blocks of 7 and 4096)"
