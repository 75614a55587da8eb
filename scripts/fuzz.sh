#!/usr/bin/env bash
# Fuzzes the chunk reader and the defaults file for a bounded time (default 60 s, or $1 seconds) from
# fresh seeds; any finding fails. Findings land in build/fuzz/findings.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
seconds="${1:-60}"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
corpus=build/fuzz/corpus
rm -rf "$corpus" && mkdir -p "$corpus" build/fuzz/findings
build/fuzz/tests/fuzz/tarn_fuzz_seeds "$corpus"
# close_fd_mask=2 silences the plug-in's error messages (stderr); libFuzzer keeps its own report.
build/fuzz/tests/fuzz/tarn_chunk_fuzz -max_total_time="$seconds" -max_len=4096 -close_fd_mask=2 \
  -print_final_stats=1 -artifact_prefix=build/fuzz/findings/ "$corpus" 2>&1 | tee build/fuzz/last-run.log | tail -12
