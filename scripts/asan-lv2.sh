#!/usr/bin/env bash
# The LV2 plug-in's tests (entry points, bad state, odd controls and rates) and the VST plug-in they
# compare with, and the LV2 user interface's tests (under Xvfb) with its binary, built with AddressSanitizer in build/asan and run there. Not part of `make test`: it is
# a build of its own.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
flags="-fsanitize=address -fno-omit-frame-pointer"
cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS="$flags" \
  -DCMAKE_EXE_LINKER_FLAGS=-fsanitize=address -DCMAKE_MODULE_LINKER_FLAGS=-fsanitize=address \
  -DCMAKE_SHARED_LINKER_FLAGS=-fsanitize=address >/dev/null
cmake --build build/asan --target lv2_tests lv2ui_tests
mkdir -p build/asan/tests/config-home
XDG_CONFIG_HOME=$PWD/build/asan/tests/config-home ASAN_OPTIONS=detect_leaks=1:halt_on_error=1 \
  build/asan/tests/lv2_tests "$@"
XDG_CONFIG_HOME=$PWD/build/asan/tests/config-home ASAN_OPTIONS=detect_leaks=1:halt_on_error=1 \
  build/asan/tests/lv2ui_tests
