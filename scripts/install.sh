#!/usr/bin/env bash
# The Makefile's install targets, from this source tree:
#   install         builds the Linux plug-ins and the renderer and installs them under PREFIX (default
#                   /usr/local; DESTDIR is put before it), recording what it wrote in build/install-manifest.txt
#   uninstall       removes exactly what that record lists, and the folders it leaves empty
#   install-user    the same into ~/.vst, ~/.lv2, ~/.vst3, ~/.clap and ~/.local/bin, as a release archive's install.sh does
#   uninstall-user  removes that again
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
prefix=${PREFIX:-/usr/local}
manifest=build/install-manifest.txt

build() {
  scripts/install-deps.sh
  cmake --preset linux >/dev/null
  cmake --build --preset linux
}

case "${1:-}" in
install)
  build
  DESTDIR=${DESTDIR:-} cmake --install build/linux --prefix "$prefix"
  # CMake's record names the files without DESTDIR (and without a last newline).
  { cat build/linux/install_manifest.txt; echo; } | sed -n "s|^/|${DESTDIR:-}/|p" >"$manifest"
  ;;
uninstall)
  [ -f "$manifest" ] || { echo "uninstall: nothing recorded as installed ($manifest is missing)" >&2; exit 1; }
  base="${DESTDIR:-}$prefix"
  top="${DESTDIR:-$prefix}"  # empty folders are removed up to here: a staging DESTDIR is left empty
  while IFS= read -r file; do
    [[ "$file" == "$base"/* ]] || { echo "uninstall: $file was not installed under $base; left alone" >&2; continue; }
    rm -f "$file"
    dir=$(dirname "$file")
    while [ "$dir" != "$top" ] && [[ "$dir" == "$top"/* ]] && rmdir "$dir" 2>/dev/null; do dir=$(dirname "$dir"); done
  done <"$manifest"
  rm -f "$manifest"
  ;;
install-user | uninstall-user)
  stage=build/stage
  if [ "$1" = install-user ]; then
    build
    rm -rf "$stage"
    cmake --install build/linux --prefix "$PWD/$stage" >/dev/null
    scripts/package-install.sh --from "$stage"
  else
    scripts/package-install.sh --uninstall
  fi
  ;;
*)
  echo "usage: scripts/install.sh install|uninstall|install-user|uninstall-user" >&2
  exit 2
  ;;
esac
