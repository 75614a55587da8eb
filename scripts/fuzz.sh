#!/usr/bin/env bash
# Fuzzes from fresh seeds for a bounded time (default 60 s, or $1 seconds, of one core's time): two
# thirds for the chunk reader and the defaults file, one third for the renderer's file reader
# (libsndfile's virtual I/O), which also replays the inputs it found before (tests/fuzz/audio-regressions).
# The two run at once on two cores. Any finding fails. Findings land in build/fuzz/findings.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
seconds="${1:-60}"
chunk_seconds=$((seconds * 2 / 3))
audio_seconds=$((seconds - chunk_seconds))
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
corpus=build/fuzz/corpus audio_corpus=build/fuzz/audio-corpus
rm -rf "$corpus" "$audio_corpus" && mkdir -p "$corpus" "$audio_corpus" build/fuzz/findings
build/fuzz/tests/fuzz/tarn_fuzz_seeds "$corpus"
build/fuzz/tests/fuzz/tarn_audio_fuzz_seeds "$audio_corpus"
# The two run side by side, one core each; their reports are shown when both have ended.
# close_fd_mask=2 silences the plug-in's and libsndfile's messages (stderr); libFuzzer keeps its own report.
build/fuzz/tests/fuzz/tarn_chunk_fuzz -max_total_time="$chunk_seconds" -max_len=4096 -close_fd_mask=2 \
  -print_final_stats=1 -artifact_prefix=build/fuzz/findings/ "$corpus" >build/fuzz/last-run.log 2>&1 &
chunk_pid=$!
# The decoders under libsndfile leak on some malformed streams: those leaks are suppressed, ours are not.
# A header must never make the reader take more than a little memory (malloc_limit_mb).
LSAN_OPTIONS="suppressions=$PWD/tests/fuzz/lsan-third-party.supp:print_suppressions=0" \
  build/fuzz/tests/fuzz/tarn_audio_fuzz -max_total_time="$audio_seconds" -max_len=16384 -malloc_limit_mb=256 \
  -rss_limit_mb=1024 -close_fd_mask=2 -print_final_stats=1 -artifact_prefix=build/fuzz/findings/audio- \
  "$audio_corpus" tests/fuzz/audio-regressions >build/fuzz/last-audio-run.log 2>&1 &
audio_pid=$!
status=0
wait "$chunk_pid" || status=1
tail -12 build/fuzz/last-run.log
wait "$audio_pid" || status=1
tail -6 build/fuzz/last-audio-run.log
exit $status
