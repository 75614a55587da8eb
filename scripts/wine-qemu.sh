#!/usr/bin/env bash
# 32-bit Wine on a machine whose kernel refuses 32-bit programs: its i386 programs run in qemu's
# user-mode emulator, inside a user, mount and PID namespace of our own where a private binfmt_misc
# hands every i386 program to qemu-i386. The rest of the machine is untouched, and an emulated program
# that misreads a process id can only signal the programs in the namespace.
#   scripts/wine-qemu.sh probe        exit 0 when this works here (needs Linux 6.7 or later)
#   scripts/wine-qemu.sh start        start the namespace that holds the wineserver, once
#   scripts/wine-qemu.sh run CMD...   run a command inside it (starting it when needed)
#   scripts/wine-qemu.sh stop         end it and everything inside
#   scripts/wine-qemu.sh running      exit 0 when it runs
# The wineserver and all Wine programs of the prefix must share one PID namespace (the server signals
# the programs' threads by their process ids), so every Wine command of the prefix goes through `run`.
# qemu-i386-static is taken out of Debian's qemu-user-static package into build/qemu without
# installing it (its installation registers handlers for the whole machine). The library in
# scripts/wine32-shim, preloaded into the emulated programs, works around where qemu 7.2 differs from
# the kernel in ways 32-bit Wine depends on.
set -euo pipefail
top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
dir="$top/build/qemu"
qemu="$dir/qemu-i386-static"
shim="$dir/wine32-shim.so"
pidfile="$dir/namespace.pid"

# The i386 ELF executable header, as qemu's own binfmt registrations describe it.
i386_magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
i386_mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'

fetch_qemu() {
  [ -x "$qemu" ] && return
  local work
  work=$(mktemp -d)
  # shellcheck disable=SC2064
  trap "rm -rf '$work'" RETURN
  (cd "$work" && apt-get download qemu-user-static >/dev/null 2>&1) || {
    echo "wine-qemu: cannot download Debian's qemu-user-static package" >&2
    return 1
  }
  dpkg-deb -x "$work"/qemu-user-static_*.deb "$work/x"
  mkdir -p "$dir"
  cp "$work/x/usr/bin/qemu-i386-static" "$qemu.part" && mv "$qemu.part" "$qemu"
}

build_shim() {
  local sources=("$top"/scripts/wine32-shim/*.c "$top"/scripts/wine32-shim/*.h) newer=0 f
  if [ -f "$shim" ]; then
    for f in "${sources[@]}"; do [ "$f" -nt "$shim" ] && newer=1; done
    [ $newer -eq 0 ] && return
  fi
  mkdir -p "$dir"
  # No C library headers for i386 are needed; the i386 C library itself is there with 32-bit Wine.
  gcc -m32 -nostdlib -ffreestanding -shared -fPIC -fvisibility=hidden -fno-stack-protector -O2 -Wall -Wextra \
    -o "$shim.part" "$top"/scripts/wine32-shim/*.c /lib/i386-linux-gnu/libc.so.6
  mv "$shim.part" "$shim"
}

prepare() {
  (
    flock 9
    fetch_qemu && build_shim
  ) 9>"$dir.lock"
}

# Inside the new namespaces: a binfmt_misc of our own with qemu for i386 programs, then a /proc for the
# new PID namespace. Prints the holder's process id as the machine sees it, then "ready".
setup_inside='
  set -e
  read -r host_pid _ </proc/self/stat
  mkdir -p "$1/binfmt"
  mount -t binfmt_misc binfmt_misc "$1/binfmt"
  printf ":tarn-i386:M::%s:%s:%s:FOC" "$2" "$3" "$4" >"$1/binfmt/register"
  mount -t proc proc /proc
  echo "$host_pid"
  echo ready
'

probe() {
  mkdir -p "$dir"
  prepare || return 1
  local work out
  work=$(mktemp -d)
  # shellcheck disable=SC2064
  trap "rm -rf '$work'" RETURN
  # exit(42) through the 32-bit system call gate, as in wine-mode.sh.
  printf '.globl _start\n_start:\n  movl $1, %%eax\n  movl $42, %%ebx\n  int $0x80\n' >"$work/probe.s"
  as --32 -o "$work/probe.o" "$work/probe.s" && ld -m elf_i386 -o "$work/probe" "$work/probe.o" || return 1
  out=$(timeout 60 unshare --user --map-root-user --mount --pid --fork \
    bash -c "$setup_inside"'set +e; "$5"; echo "exit $?"' setup "$work" "$i386_magic" "$i386_mask" "$qemu" "$work/probe" \
    2>/dev/null) || true
  grep -qx 'exit 42' <<<"$out"
}

running() {
  local pid
  [ -s "$pidfile" ] || return 1
  pid=$(cat "$pidfile")
  [ -d "/proc/$pid" ] && grep -q tarn-wine-namespace "/proc/$pid/cmdline" 2>/dev/null
}

start() {
  mkdir -p "$dir"
  running && return
  prepare
  (
    flock 9
    running && exit 0
    rm -f "$pidfile" "$dir/namespace.out"
    # The holder is PID 1 of the namespace: it reaps what Wine leaves behind, and when it ends the
    # kernel ends everything inside. Detached from the caller's terminal and pipes.
    setsid unshare --user --map-root-user --mount --pid --fork --kill-child \
      bash -c "$setup_inside"'while :; do sleep 3600 & wait $!; done' tarn-wine-namespace \
      "$dir" "$i386_magic" "$i386_mask" "$qemu" </dev/null >"$dir/namespace.out" 2>&1 9>&- &
    for _ in $(seq 100); do
      grep -qx ready "$dir/namespace.out" 2>/dev/null && break
      sleep 0.1
    done
    if ! grep -qx ready "$dir/namespace.out" 2>/dev/null; then
      echo "wine-qemu: the namespace did not start:" >&2
      cat "$dir/namespace.out" >&2
      exit 1
    fi
    head -1 "$dir/namespace.out" >"$pidfile"
  ) 9>"$dir/namespace.lock"
}

run() {
  running || start
  # qemu passes the shim on to each emulated program, which takes it out of its environment again.
  # winedbg would hang under emulation after a crash: a crash ends the program instead.
  QEMU_SET_ENV="LD_PRELOAD=$shim" WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-};winedbg.exe=d" \
    exec nsenter --target "$(cat "$pidfile")" --user --mount --pid --wd="$PWD" -- "$@"
}

stop() {
  running || return 0
  # The namespace's first process takes no signal from outside but this one; with it goes everything inside.
  kill -KILL "$(cat "$pidfile")" 2>/dev/null || true
  rm -f "$pidfile"
}

case "${1:-}" in
probe) probe ;;
start) start ;;
run)
  shift
  run "$@"
  ;;
stop) stop ;;
running) running ;;
*)
  echo "usage: scripts/wine-qemu.sh probe|start|run CMD...|stop" >&2
  exit 2
  ;;
esac
