#!/bin/sh
# Installs Tarn from the folder this script stands in (a release archive, or a staged build), or removes
# what it installed. Every file it writes is listed in a record beside the documents, which --uninstall
# reads, so removing takes exactly what installing put there.
#
#   ./install.sh                          for you: ~/.vst, ~/.lv2, ~/.vst3, ~/.clap, ~/.local/bin
#   ./install.sh --prefix /usr/local      for everyone: PREFIX/lib/vst, lib/lv2, lib/vst3, lib/clap, bin
#   ./install.sh --uninstall [--prefix P] removes it again
# DESTDIR, when set, is put before every system path (for packagers).
set -eu

from=$(cd "$(dirname "$0")" && pwd)
prefix="" uninstall=0
while [ $# -gt 0 ]; do
  case "$1" in
  --prefix) [ $# -ge 2 ] || { echo "install.sh: --prefix needs a folder" >&2; exit 2; }; prefix=$2; shift ;;
  --prefix=*) prefix=${1#--prefix=} ;;
  --from) [ $# -ge 2 ] || { echo "install.sh: --from needs a folder" >&2; exit 2; }; from=$2; shift ;;
  --uninstall) uninstall=1 ;;
  -h|--help) sed -n '2,10p' "$0"; exit 0 ;;
  *) echo "install.sh: unknown option $1 (see --help)" >&2; exit 2 ;;
  esac
  shift
done

# Where each part of the archive's layout goes.
if [ -n "$prefix" ]; then
  case "$prefix" in /*) ;; *) echo "install.sh: the prefix must be an absolute path: $prefix" >&2; exit 2 ;; esac
  base="${DESTDIR:-}$prefix"
  vst="$base/lib/vst" lv2="$base/lib/lv2" vst3="$base/lib/vst3" clap="$base/lib/clap" bin="$base/bin" doc="$base/share/doc/tarn"
else
  [ -n "${HOME:-}" ] || { echo "install.sh: HOME is not set; give --prefix" >&2; exit 2; }
  base="$HOME"
  vst="$HOME/.vst" lv2="$HOME/.lv2" vst3="$HOME/.vst3" clap="$HOME/.clap" bin="$HOME/.local/bin" doc="$HOME/.local/share/doc/tarn"
fi
record="$doc/installed-files"

# Removes the folders left empty above a removed file, up to (not including) the base.
prune() {
  dir=$(dirname "$1")
  while [ "$dir" != "$base" ] && [ "${dir#"$base"/}" != "$dir" ] && rmdir "$dir" 2>/dev/null; do
    dir=$(dirname "$dir")
  done
}

if [ "$uninstall" = 1 ]; then
  [ -f "$record" ] || { echo "install.sh: nothing recorded as installed in $doc" >&2; exit 1; }
  while IFS= read -r file; do
    [ -n "$file" ] || continue
    rm -f "$file"
    prune "$file"
  done <"$record"
  rm -f "$record"
  prune "$record"
  echo "Tarn removed from $base"
  exit 0
fi

[ -f "$from/lib/vst/Tarn.so" ] || { echo "install.sh: $from holds no Tarn to install (lib/vst/Tarn.so is missing)" >&2; exit 1; }
mkdir -p "$doc"
: >"$record.part"
# Each file through a temporary name in its own folder, then renamed: a host never loads half a file.
place() {
  source=$1 target=$2
  mkdir -p "$(dirname "$target")"
  cp "$source" "$target.part"
  chmod "$(stat -c %a "$source")" "$target.part"
  mv -f "$target.part" "$target"
  echo "$target" >>"$record.part"
}
(cd "$from" && find lib bin share -type f 2>/dev/null | sort) | while IFS= read -r file; do
  case "$file" in
  lib/vst/*) place "$from/$file" "$vst/${file#lib/vst/}" ;;
  lib/lv2/*) place "$from/$file" "$lv2/${file#lib/lv2/}" ;;
  lib/vst3/*) place "$from/$file" "$vst3/${file#lib/vst3/}" ;;
  lib/clap/*) place "$from/$file" "$clap/${file#lib/clap/}" ;;
  bin/*) place "$from/$file" "$bin/${file#bin/}" ;;
  share/doc/tarn/*) place "$from/$file" "$doc/${file#share/doc/tarn/}" ;;
  esac
done
mv -f "$record.part" "$record"
echo "Tarn installed: VST 2.4 in $vst, LV2 in $lv2, CLAP in $clap, the renderer in $bin"
