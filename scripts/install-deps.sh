#!/usr/bin/env bash
# Installs what the builds and tests need on a fresh Debian 12 machine; does nothing when all is present.
set -euo pipefail

need=()
have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

packages=(cmake ninja-build python3 g++ clang libclang-rt-14-dev googletest libgtest-dev libbenchmark-dev
          g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix wine wine32:i386 wine64
          libsndfile1-dev libebur128-dev zlib1g-dev ffmpeg sox)
for p in "${packages[@]}"; do have_pkg "$p" || need+=("$p"); done
# The built-in font: its generator's outline reader and the fonts it reads.
for p in libstb-dev fonts-dejavu-core; do have_pkg "$p" || need+=("$p"); done
# The X11 window layer and its tests: XCB, and a headless X server with XTEST.
for p in pkg-config xvfb libxcb1-dev libxcb-xtest0-dev; do have_pkg "$p" || need+=("$p"); done
# The LV2 bundle: LV2's own headers and vocabularies, and real hosts and a validator to test it.
# jalv runs only under a JACK server: jackd2's dummy backend stands in for audio hardware.
for p in lv2-dev lilv-utils sordi jalv jackd2; do have_pkg "$p" || need+=("$p"); done
# Packaging and its checks: dpkg-shlibdeps for the package's dependencies, lintian, Ardour's plug-in scanner.
for p in dpkg-dev lintian ardour; do have_pkg "$p" || need+=("$p"); done
# The benchmarks' small LV2 host, which times other LV2 plug-ins beside ours.
have_pkg liblilv-dev || need+=(liblilv-dev)
# The CLAP and VST3 interface headers (Debian's dpf-source carries them), and Qtractor, whose plug-in
# scanner is the real CLAP host the tests run.
for p in dpf-source qtractor; do have_pkg "$p" || need+=("$p"); done
[ ${#need[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "missing packages: ${need[*]} (run this script as root to install them)" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
apt-get update -qq
# On a kernel that refuses 32-bit programs, the i386 packages' post-install steps print "Exec format
# error" and apt still succeeds: there the 32-bit loader runs under emulation (see wine-qemu.sh), whose
# qemu-i386-static is taken out of Debian's package into build/ when needed, never installed.
apt-get install -y -qq --no-install-recommends "${need[@]}"
