#!/usr/bin/env bash
# The LV2 bundle in hosts we did not write:
#   sord_validate  the bundle's description against the LV2 vocabularies installed by lv2-dev;
#   lv2apply       a loud stereo file limited at -10 dB, the same as tarn-render's output of the VST
#                  plug-in at the normalized value -10 dB stands for (0.5), with the audio delayed by
#                  the reported latency;
#   jalv           loaded headless on JACK's dummy backend: controls listed, one set, the latency and
#                  meters read back, a saved state (port value and controller bindings) loaded;
#   jalv.gtk3      under Xvfb opens the bundle's X11 user interface in its window: the screen, grabbed
#                  with ffmpeg (build/tests/editor-lv2-jalv.png, to look at), shows the editor.
#   real_hosts.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
uri=$(sed -n 's/^constexpr const char\* lv2Uri = "\(.*\)";/\1/p' "$(dirname "$0")/../../limiter/ProductFacts.h")
bundle=$(sed -n 's/^constexpr const char\* lv2Bundle = "\(.*\)";/\1/p' "$(dirname "$0")/../../limiter/ProductFacts.h")
work=$(mktemp -d)
jack_pid=
xvfb_pid=
cleanup() {
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  [ -n "$jack_pid" ] && kill "$jack_pid" 2>/dev/null && wait "$jack_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
mkdir "$work/path" && ln -s "$build/$bundle" "$work/path/"
export LV2_PATH="$work/path:/usr/lib/lv2"
export XDG_CONFIG_HOME="$work/config"  # no user defaults file
fail() { echo "FAIL: $*" >&2; exit 1; }

# --- sord_validate: errors that name our plug-in or files (the vocabularies have a few of their own).
mapfile -t vocabularies < <(dpkg -L lv2-dev 2>/dev/null | grep '\.ttl$')
[ ${#vocabularies[@]} -gt 20 ] || fail "the LV2 vocabularies from lv2-dev are missing"
ours=$(sord_validate -l "${vocabularies[@]}" "$build/$bundle"/*.ttl 2>&1 | grep -iE "quellbrook|$bundle" || true)
[ -z "$ours" ] || fail "sord_validate: $ours"
echo "sord_validate: the bundle is valid"

# --- lv2apply against tarn-render.
python3 - "$work/in.wav" <<'PY'
import math, struct, sys, wave
frames = 44100 * 2
out = bytearray()
for i in range(frames):
    l = 0.9 * (1.8 * math.sin(i * 0.0123) + 0.3 * math.sin(i * 0.31))
    r = 0.9 * (1.6 * math.sin(i * 0.0117 + 1.0) + 0.3 * math.sin(i * 0.29))
    out += struct.pack('<ii', *(int(max(-1.0, min(1.0, x)) * 8388607) << 8 for x in (l, r)))
w = wave.open(sys.argv[1], 'wb'); w.setnchannels(2); w.setsampwidth(4); w.setframerate(44100)
w.writeframes(bytes(out)); w.close()
PY
lv2apply -i "$work/in.wav" -o "$work/lv2.wav" -c thresh -10 "$uri" || fail "lv2apply refused the plug-in"
# Raw, as lv2apply plays it: the latency kept, not compensated.
report=$("$build/tarn-render" --keep-latency --set thresh=0.5 "$work/in.wav" "$work/vst.wav")
latency=$(sed -n 's/^latency: *\([0-9]*\) samples reported.*/\1/p' <<<"$report")
[ -n "$latency" ] || fail "tarn-render reported no latency"
python3 - "$work/in.wav" "$work/lv2.wav" "$work/vst.wav" "$latency" <<'PY'
import struct, sys, wave
def read(path):
    w = wave.open(path)
    n = w.getnframes()
    return [x / 2**31 for x in struct.unpack('<%di' % (2 * n), w.readframes(n))]
source, lv2, vst = (read(p) for p in sys.argv[1:4])
latency = int(sys.argv[4])
assert len(lv2) == len(vst) == len(source), "lengths differ"
# tarn-render measures the latency with a probe instance first, which draws from the same dither
# generator: the two outputs agree to within two 24-bit dither draws (and a rounding), no closer.
reach = 2**-21 + 2**-23
worst = max(abs(a - b) for a, b in zip(lv2, vst))
assert worst < reach, "lv2apply differs from tarn-render by %g" % worst
# Neither host compensates: the first `latency` frames are dither alone, then the signal comes out.
assert max(abs(x) for x in lv2[:2 * latency]) < 2**-22, "audio before the reported latency"
assert any(abs(x) > 0.01 for x in lv2[2 * latency:2 * latency + 8]), "no audio right after the latency"
# Limited at -10 dB (0.316): nothing above it but the dither.
assert max(abs(x) for x in lv2) < 10 ** -0.5 + 2**-21, "the threshold was not applied"
print("lv2apply: same output as tarn-render to within the dither (largest difference %.3g), delayed by %d frames"
      % (worst, latency))
PY

# --- jalv, console, on JACK's dummy backend (jalv has no backend without a JACK server).
export JACK_DEFAULT_SERVER="tarn-lv2-test-$$"
export JACK_NO_AUDIO_RESERVATION=1
jackd --no-realtime -d dummy -r 48000 -p 256 >"$work/jackd.log" 2>&1 &
jack_pid=$!
for _ in $(seq 50); do
  grep -q "self-connect-mode" "$work/jackd.log" 2>/dev/null && break
  sleep 0.1
done
sleep 0.5
kill -0 "$jack_pid" 2>/dev/null || { cat "$work/jackd.log" >&2; fail "jackd did not start with the dummy backend"; }

session() {  # jalv arguments... ; commands on standard input, a second to run, then quit
  { cat; sleep 1; } | timeout 20 jalv "$@" 2>&1
}
out=$(printf 'controls\nset thresh -6\ncontrols\nmonitors\n' | session -c release=250 "$uri") || true
grep -q "^release = 250.0" <<<"$out" || fail "jalv: release not set from the command line:
$out"
grep -q "thresh = -6.0" <<<"$out" || fail "jalv: thresh could not be set:
$out"
grep -q "latency = 24.0" <<<"$out" || fail "jalv: no latency of 24 frames at 48 kHz:
$out"
grep -q "min_gain = " <<<"$out" || fail "jalv: no meter ports:
$out"
echo "jalv: controls listed, thresh set, latency 24 at 48 kHz, meters read"

# jalv's console has no command to save a state; a state as LV2 hosts save it (port values and our
# controller bindings, base64 in an atom chunk) is loaded instead, and a foreign record beside it.
binding=$(python3 -c 'import base64,struct; print(base64.b64encode(struct.pack("<IHH5h", 0x426E7254, 1, 5, -20473, -1, -1, -1, -1)).decode())')
for record in "$binding" "Zm9yZWlnbiBkYXRh"; do
  mkdir -p "$work/state"
  cat >"$work/state/state.ttl" <<TTL
@prefix atom: <http://lv2plug.in/ns/ext/atom#> .
@prefix lv2: <http://lv2plug.in/ns/lv2core#> .
@prefix pset: <http://lv2plug.in/ns/ext/presets#> .
@prefix state: <http://lv2plug.in/ns/ext/state#> .
@prefix xsd: <http://www.w3.org/2001/XMLSchema#> .
<> a pset:Preset ;
    lv2:appliesTo <$uri> ;
    lv2:port [ lv2:symbol "thresh" ; pset:value -12.0 ] ;
    state:state [ <$uri#bindings> "$record"^^xsd:base64Binary ] .
TTL
  out=$(printf 'controls\n' | session -l "$work/state" "$uri") || true
  grep -q "thresh = -12.0" <<<"$out" || fail "jalv: the saved state was not loaded:
$out"
done
echo "jalv: a saved state loaded (and a foreign bindings record beside it refused without harm)"

# --- jalv.gtk3 shows the user interface: GTK embeds our X11 child window (ui:parent), drives it with
# ui:idleInterface and sends the port values; the editor's dark background must fill most of its area.
Xvfb -displayfd 3 -screen 0 640x480x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || fail "Xvfb did not start"
display=":$(head -n1 "$work/display")"
DISPLAY=$display timeout 10 jalv.gtk3 -c thresh=-12 "$uri" >"$work/jalv-gtk.log" 2>&1 &
gtk_pid=$!
sleep 4
mkdir -p "$build/tests"
ffmpeg -loglevel error -y -f x11grab -video_size 640x480 -i "$display" -frames:v 1 "$build/tests/editor-lv2-jalv.png"
kill "$gtk_pid" 2>/dev/null; wait "$gtk_pid" 2>/dev/null || true
background=$(ffmpeg -loglevel error -i "$build/tests/editor-lv2-jalv.png" -f rawvideo -pix_fmt rgb24 - |
  python3 -c 'import sys; d = sys.stdin.buffer.read(); print(sum(d[i:i + 3] == bytes((12, 8, 5)) for i in range(0, len(d), 3)))')
[ "$background" -gt 8000 ] || fail "jalv.gtk3: the editor is not on the screen ($background background pixels):
$(cat "$work/jalv-gtk.log")"
echo "jalv.gtk3: the editor shown in its window ($build/tests/editor-lv2-jalv.png)"
