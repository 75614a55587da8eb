#!/usr/bin/env bash
# Checks what `make install`, `make uninstall`, `make install-user` and `make dist` produce, with real
# tools: the install layout (files, modes, nothing else), LV2 hosts' discovery (lv2ls), Ardour's plug-in
# scanner, lintian on the package, the release archives unpacked and installed, the plug-ins loaded by our
# host, the Windows DLLs through the PE checks. Expects `scripts/dist.sh` to have run. Prints one line a
# check and "packaging: N passed, N failed"; exits 1 when any failed.
set -uo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
top=$PWD
version=$(sed -nE 's/.*versionText = "([0-9]+\.[0-9]+\.[0-9]+)\.[0-9]+".*/\1/p' limiter/ProductFacts.h)
dist=$top/build/dist
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
passed=0 failed=0

check() {  # check NAME COMMAND...: runs the command, its output kept for a failure
  local name=$1
  shift
  if out=$("$@" 2>&1); then
    passed=$((passed + 1))
    echo "ok: $name"
  else
    failed=$((failed + 1))
    echo "FAILED: $name"
    printf '%s\n' "$out" | tail -20 | sed 's/^/    /'
  fi
}

# The files an install puts under a prefix, with their modes: the one list every form must match.
expected_layout() {
  cat <<LIST
644 lib/clap/Tarn.clap
644 lib/lv2/Tarn.lv2/manifest.ttl
644 lib/lv2/Tarn.lv2/tarn.so
644 lib/lv2/Tarn.lv2/tarn.ttl
644 lib/lv2/Tarn.lv2/tarn_ui.so
644 lib/vst/Tarn.so
644 lib/vst3/Tarn.vst3/Contents/Resources/moduleinfo.json
644 lib/vst3/Tarn.vst3/Contents/x86_64-linux/Tarn.so
755 bin/tarn-render
LIST
}
layout_of() {  # the files and modes under $1 (plug-ins and renderer; the documents are checked apart)
  (cd "$1" && find lib bin -type f -printf '%m %p\n' 2>/dev/null | sort)
}
same_layout() { diff <(expected_layout | sort) <(layout_of "$1"); }
docs_present() { for f in README.md COPYING LICENSE-DejaVu.txt; do [ -s "$1/$f" ] || { echo "missing $1/$f"; return 1; }; done; }
nothing_left() { local left; left=$(find "$1" -mindepth 1 | head); [ -z "$left" ] || { echo "left behind: $left"; return 1; }; }
lv2_found() { LV2_PATH=$1 lv2ls | grep -qx 'https://www.quellbrook.com/plugins/tarn' || { LV2_PATH=$1 lv2ls; return 1; }; }
renders() {  # the renderer at $1 finds its plug-in by itself and renders the built-in signal
  "$1" --out "$tmp/render.wav" >/dev/null && [ -s "$tmp/render.wav" ]
}
ardour_scans() {  # Ardour 7's own scanner loads the plug-in and indexes it (its libraries beside it)
  local scanner=/usr/lib/ardour7/ardour-vst-scanner out
  [ -x "$scanner" ] || { echo "no $scanner"; return 1; }
  out=$(XDG_CACHE_HOME="$tmp/cache" LD_LIBRARY_PATH=/usr/lib/ardour7 timeout 60 "$scanner" -f "$1" 2>&1)
  grep -q "Found Plugin: .* Tarn" <<<"$out" || { echo "$out"; return 1; }
}
ardour_scans_vst3() {  # Ardour 7's VST3 scanner on the installed bundle
  local scanner=/usr/lib/ardour7/ardour-vst3-scanner out
  [ -x "$scanner" ] || { echo "no $scanner"; return 1; }
  out=$(XDG_CACHE_HOME="$tmp/cache" HOME="$tmp" LD_LIBRARY_PATH=/usr/lib/ardour7 timeout 60 "$scanner" -v "$1" 2>&1)
  grep -q "Found Plugin: Tarn" <<<"$out" || { echo "$out"; return 1; }
}

# make install / uninstall into a throwaway DESTDIR.
dest=$tmp/destdir
check "make install puts the plug-ins and the renderer under PREFIX" make -s install DESTDIR="$dest" PREFIX=/usr/local
check "installed files and modes" same_layout "$dest/usr/local"
check "installed documents" docs_present "$dest/usr/local/share/doc/tarn"
check "lv2ls finds the installed LV2 bundle" lv2_found "$dest/usr/local/lib/lv2"
check "the installed renderer finds the installed plug-in" renders "$dest/usr/local/bin/tarn-render"
check "Ardour's VST scanner accepts the installed plug-in" ardour_scans "$dest/usr/local/lib/vst/Tarn.so"
check "Ardour's VST3 scanner accepts the installed bundle" ardour_scans_vst3 "$dest/usr/local/lib/vst3/Tarn.vst3"
check "make uninstall removes everything it installed" make -s uninstall DESTDIR="$dest" PREFIX=/usr/local
check "nothing is left after make uninstall" nothing_left "$dest"

# make install-user / uninstall-user into a throwaway home.
home=$tmp/home
mkdir -p "$home"
check "make install-user" env HOME="$home" make -s install-user
user_layout() {
  local f
  for f in .vst/Tarn.so .clap/Tarn.clap .vst3/Tarn.vst3/Contents/x86_64-linux/Tarn.so .lv2/Tarn.lv2/tarn.so .lv2/Tarn.lv2/tarn_ui.so .lv2/Tarn.lv2/manifest.ttl .local/bin/tarn-render; do
    [ -f "$home/$f" ] || { echo "missing ~/$f"; return 1; }
  done
  [ -x "$home/.local/bin/tarn-render" ]
}
check "install-user places the plug-ins where hosts look in a home" user_layout
check "make uninstall-user leaves the home empty" bash -c "HOME='$home' make -s uninstall-user && find '$home' -mindepth 1 | { ! grep -q .; }"

# The Linux archive: unpacked, its install.sh installs into a prefix and removes it again.
tarball=$dist/Tarn-$version-linux-x86_64.tar.gz
check "the Linux archive unpacks" tar -C "$tmp" -xzf "$tarball"
unpacked=$tmp/Tarn-$version-linux-x86_64
check "the archive's install.sh installs into a prefix" "$unpacked/install.sh" --prefix "$tmp/prefix"
check "archive install: files and modes" same_layout "$tmp/prefix"
check "archive install: the renderer renders with the installed plug-in" renders "$tmp/prefix/bin/tarn-render"
check "archive install: our host loads the VST 2.4 plug-in" "$tmp/prefix/bin/tarn-render" --plugin "$tmp/prefix/lib/vst/Tarn.so" --info
check "archive install: lv2ls finds the bundle" lv2_found "$tmp/prefix/lib/lv2"
check "archive install: our host loads the VST3 bundle" "$tmp/prefix/bin/tarn-render" --plugin "$tmp/prefix/lib/vst3/Tarn.vst3" --info
check "archive install: our host loads the CLAP plug-in" "$tmp/prefix/bin/tarn-render" --plugin "$tmp/prefix/lib/clap/Tarn.clap" --info
check "the archive's install.sh --uninstall removes it all" "$unpacked/install.sh" --uninstall --prefix "$tmp/prefix"
check "nothing is left after the archive's uninstall" nothing_left "$tmp/prefix"

# The Debian package.
deb=$dist/tarn_${version}_amd64.deb
no_lintian_errors() {
  local out
  out=$(lintian --no-tag-display-limit "$deb" 2>&1)
  printf '%s\n' "$out"
  ! grep -q '^E:' <<<"$out"
}
deb_layout() {
  diff <(expected_layout | sed 's/^[0-9]* //; s|^|usr/|' | sort) \
       <(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | sed 's|^\./||' | grep -v '^usr/share/' | sort)
}
check "lintian reports no errors on the package" no_lintian_errors
check "the package holds the install layout under /usr" deb_layout
check "the package unpacks" dpkg-deb -x "$deb" "$tmp/debroot"
check "package: lv2ls finds the bundle" lv2_found "$tmp/debroot/usr/lib/lv2"
check "package: the renderer renders with the packaged plug-in" renders "$tmp/debroot/usr/bin/tarn-render"
check "package: it depends on the libraries the binaries use" bash -c "dpkg-deb -f '$deb' Depends | grep -q libsndfile1"

# The Windows archive.
zip=$dist/Tarn-$version-windows.zip
check "the Windows archive unpacks" python3 -m zipfile -e "$zip" "$tmp/win"
win=$tmp/win/Tarn-$version-windows
check "Windows archive: the 32-bit DLL passes the binary checks" \
  bash -c "scripts/check-binary.sh '$win/x86/Tarn.dll' Windows i686 && python3 scripts/check-pe-resources.py '$win/x86/Tarn.dll' i686 resources"
check "Windows archive: the 64-bit DLL passes the binary checks" \
  bash -c "scripts/check-binary.sh '$win/x64/Tarn.dll' Windows x86_64 && python3 scripts/check-pe-resources.py '$win/x64/Tarn.dll' x86_64 resources"
check "Windows archive: both CLAP files export only clap_entry and import only system DLLs" \
  bash -c "scripts/check-binary.sh '$win/x86/Tarn.clap' Windows i686 clap_entry && scripts/check-binary.sh '$win/x64/Tarn.clap' Windows x86_64 clap_entry"
check "Windows archive: the VST3 bundle holds both modules, each exporting the VST3 entry points alone" \
  bash -c "scripts/check-binary.sh '$win/Tarn.vst3/Contents/x86-win/Tarn.vst3' Windows i686 'ExitDll GetPluginFactory InitDll' && scripts/check-binary.sh '$win/Tarn.vst3/Contents/x86_64-win/Tarn.vst3' Windows x86_64 'ExitDll GetPluginFactory InitDll' && [ -s '$win/Tarn.vst3/Contents/Resources/moduleinfo.json' ]"
check "Windows archive: the renderer and the readme" bash -c "[ -s '$win/tarn-render.exe' ] && grep -q 'x64' '$win/README.txt'"

# The source archive.
check "the source archive holds the tree" bash -c "tar -tzf '$dist/Tarn-$version-source.tar.gz' | grep -qx 'Tarn-$version/CMakeLists.txt'"

echo "packaging: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
