#!/usr/bin/env bash
# Builds all three targets and runs every test: natively, then the Windows builds under Wine, then a
# bounded fuzzing run. On a machine whose kernel refuses 32-bit programs the 32-bit tests run under
# emulation (scripts/wine-qemu.sh); where even that cannot run, the 32-bit DLL is built and checked
# without running it, and its tests are counted as not run (TARN_WIN32_TESTS=require makes that fatal).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
# Each phase's heading says when it began (minutes:seconds into the run), so a slow phase shows.
phase() { printf '== %s [%d:%02d]\n' "$1" $((SECONDS / 60)) $((SECONDS % 60)); }
SECONDS=0
scripts/install-deps.sh

presets=(linux win32 win64)
for preset in "${presets[@]}"; do
  phase "build: $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
done

mode=$(scripts/wine-mode.sh)
if [ "$mode" = win64-only ] && [ "${TARN_WIN32_TESTS:-}" = require ]; then
  echo "win32: its tests cannot run: this machine cannot run 32-bit programs, natively or emulated (TARN_WIN32_TESTS=require)" >&2
  exit 1
fi
scripts/wine-prefix.sh start
trap 'scripts/wine-prefix.sh stop' EXIT

passed=0 failed=0 not_run=0 status=0 summary=()
mkdir -p build/logs

# Runs ctest for one preset (extra arguments select tests) and adds its counts to the totals; the
# summary line ends with the note given.
run_ctest() {
  local preset=$1 note=$2 log=build/logs/ctest-$1.log
  shift 2
  ctest --preset "$preset" -j2 --timeout 300 "$@" 2>&1 | tee "$log" || status=1
  local line total bad
  line=$(grep -E '^[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -1 || true)
  if [ -z "$line" ]; then
    summary+=("$preset: ctest gave no result")
    failed=$((failed + 1)) status=1
    return
  fi
  bad=$(sed -E 's/.* ([0-9]+) tests? failed.*/\1/' <<<"$line")
  total=$(sed -E 's/.*out of ([0-9]+).*/\1/' <<<"$line")
  passed=$((passed + total - bad)) failed=$((failed + bad))
  summary+=("$preset: $((total - bad)) passed, $bad failed$note")
}

count_tests() { ctest --preset "$1" -N "${@:2}" | sed -nE 's/^Total Tests: ([0-9]+)/\1/p'; }

phase "tests: linux"
run_ctest linux ""
# The Windows test programs take turns (they share the prefix's application data), which leaves a core
# idle: the fuzzers are built on it meanwhile.
(cmake --preset fuzz >/dev/null && cmake --build --preset fuzz -j1) >build/logs/fuzz-build.log 2>&1 &
fuzz_build=$!
phase "tests: win64 (under Wine)"
run_ctest win64 " (under Wine)"
if [ "$mode" = wow64 ]; then
  phase "tests: win32 (under Wine)"
  run_ctest win32 " (under Wine)"
elif [ "$mode" = qemu ]; then
  phase "tests: win32 (under Wine, its 32-bit programs emulated by qemu-i386: the kernel refuses them)"
  run_ctest win32 " (under Wine, emulated by qemu-i386)"
else
  phase "tests: win32 (checked on the build machine only)"
  run_ctest win32 "" -L static
  skipped=$(( $(count_tests win32) - $(count_tests win32 -L static) ))
  not_run=$((not_run + skipped))
  summary+=("win32: built and checked; its tests were not run: this machine cannot run 32-bit programs, natively or emulated ($skipped not run)")
fi

phase "fuzzing the stored state"
wait "$fuzz_build" || echo "the fuzzers' build failed beside the Windows tests (build/logs/fuzz-build.log); trying again"
if scripts/fuzz.sh 90; then
  passed=$((passed + 1)) summary+=("fuzzing: passed")
else
  failed=$((failed + 1)) status=1 summary+=("fuzzing: FAILED")
fi

phase "packaging (make install, install-user, dist)"
scripts/dist.sh >build/logs/dist.log 2>&1 || { echo "dist failed:"; tail -20 build/logs/dist.log; }
scripts/check-dist.sh | tee build/logs/packaging.log || status=1
line=$(grep -E '^packaging: [0-9]+ passed, [0-9]+ failed' build/logs/packaging.log || echo "packaging: 0 passed, 1 failed")
p=$(sed -E 's/packaging: ([0-9]+) passed.*/\1/' <<<"$line") f=$(sed -E 's/.* ([0-9]+) failed/\1/' <<<"$line")
passed=$((passed + p)) failed=$((failed + f)) summary+=("$line")

phase "summary"
printf '%s\n' "${summary[@]}"
echo "total: $passed passed, $failed failed, $not_run skipped"
exit $status
