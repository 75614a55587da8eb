#!/usr/bin/env bash
# Writes the release files into build/dist/, from the three builds (made first where missing):
#   Tarn-VERSION-linux-x86_64.tar.gz  the Linux plug-ins, the renderer, the documents and install.sh
#   Tarn-VERSION-windows.zip          the 32- and 64-bit VST 2.4 DLLs and CLAP files (x86/, x64/), the VST3 bundle
#                                     with both modules, the 64-bit renderer, readme
#   tarn_VERSION_amd64.deb            installing into /usr/lib/{vst,lv2,vst3,clap} and /usr/bin
#   Tarn-VERSION-source.tar.gz        the committed source (git archive of HEAD)
# VERSION is the product facts' version without its build number.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
top=$PWD
version=$(sed -nE 's/.*versionText = "([0-9]+\.[0-9]+\.[0-9]+)\.[0-9]+".*/\1/p' limiter/ProductFacts.h)
[ -n "$version" ] || { echo "dist: no version in limiter/ProductFacts.h" >&2; exit 1; }
dist=build/dist
work=$dist/work
rm -rf "$dist"
mkdir -p "$work"

for preset in linux win32 win64; do
  if [ ! -f "build/$preset/build.ninja" ]; then cmake --preset "$preset" >/dev/null; fi
  cmake --build --preset "$preset" >/dev/null
done

# Linux: the install layout under one folder, with the installer at its top.
linux=Tarn-$version-linux-x86_64
cmake --install build/linux --prefix "$top/$work/$linux" >/dev/null
cp scripts/package-install.sh "$work/$linux/install.sh"
cp README.md COPYING "$work/$linux/"
tar -C "$work" --owner=0 --group=0 --sort=name -czf "$dist/$linux.tar.gz" "$linux"

# Windows: each DLL in a folder named for its architecture.
windows=Tarn-$version-windows
mkdir -p "$work/$windows/x86" "$work/$windows/x64"
cp build/win32/Tarn.dll "$work/$windows/x86/"
cp build/win64/Tarn.dll "$work/$windows/x64/"
cp build/win32/Tarn.clap "$work/$windows/x86/"
cp build/win64/Tarn.clap "$work/$windows/x64/"
# One VST3 bundle for both: each build's module in its architecture's folder.
mkdir -p "$work/$windows/Tarn.vst3/Contents/Resources" "$work/$windows/Tarn.vst3/Contents/x86-win" "$work/$windows/Tarn.vst3/Contents/x86_64-win"
cp build/win64/Tarn.vst3/Contents/Resources/moduleinfo.json "$work/$windows/Tarn.vst3/Contents/Resources/"
cp build/win32/Tarn.vst3/Contents/x86-win/Tarn.vst3 "$work/$windows/Tarn.vst3/Contents/x86-win/"
cp build/win64/Tarn.vst3/Contents/x86_64-win/Tarn.vst3 "$work/$windows/Tarn.vst3/Contents/x86_64-win/"
cp build/win64/tarn-render.exe "$work/$windows/"
cp COPYING "$work/$windows/COPYING.txt"
cp plugedit/font/LICENSE-DejaVu.txt "$work/$windows/"
sed "s/@VERSION@/$version/" scripts/windows-readme.txt | sed 's/$/\r/' >"$work/$windows/README.txt"
python3 - "$work" "$windows" "$dist/$windows.zip" <<'PY'
import os, sys, zipfile
work, folder, out = sys.argv[1:4]
with zipfile.ZipFile(out, "w", zipfile.ZIP_DEFLATED) as z:
    for root, _, files in sorted(os.walk(os.path.join(work, folder))):
        for name in sorted(files):
            path = os.path.join(root, name)
            z.write(path, os.path.relpath(path, work))
PY

# Debian: the install layout under /usr, stripped, with the libraries it needs as dependencies.
package=tarn_${version}_amd64
root=$work/$package
DESTDIR=$top/$root cmake --install build/linux --prefix /usr >/dev/null
mapfile -t binaries < <(find "$root" -type f \( -name '*.so' -o -name '*.clap' -o -path '*/bin/*' \) | sort)
strip --strip-unneeded --remove-section=.comment --remove-section=.note "${binaries[@]}"
doc=$root/usr/share/doc/tarn
sed "s/@YEAR@/$(date +%Y)/" scripts/debian-copyright >"$doc/copyright"
rm -f "$doc/COPYING"
printf 'tarn (%s) stable; urgency=medium\n\n  * Release %s.\n\n -- Quellbrook <info@quellbrook.com>  %s\n' \
  "$version" "$version" "$(date -R)" | gzip -9n >"$doc/changelog.gz"  # a native package: no Debian revision
gzip -9n "$doc/README.md"
mkdir -p "$work/shlibs/debian" "$root/DEBIAN"
printf 'Source: tarn\n\nPackage: tarn\nArchitecture: amd64\n' >"$work/shlibs/debian/control"
depends=$(cd "$work/shlibs" && dpkg-shlibdeps -O "${binaries[@]/#/$top/}" 2>/dev/null | sed -n 's/^shlibs:Depends=//p')
cat >"$root/DEBIAN/control" <<CONTROL
Package: tarn
Version: $version
Section: sound
Priority: optional
Architecture: amd64
Maintainer: Quellbrook <info@quellbrook.com>
Installed-Size: $(du -sk --exclude=DEBIAN "$root" | cut -f1)
Depends: $depends
Homepage: https://www.quellbrook.com/
Description: stereo look-ahead peak limiter (VST 2.4, VST3, LV2, CLAP) and mastering renderer
 Tarn limits the louder channel's peaks with a 0.5 ms look-ahead, gives back
 make-up gain, clips at full scale and dithers for 16 or 24 bits. Its editor
 shows output peak, average level, peak hold and gain reduction.
 .
 This package holds the VST 2.4 plug-in, the VST3 bundle, the LV2 bundle with
 its editor, the CLAP plug-in, and
 tarn-render, which masters audio files through the plug-in and reports their
 loudness and true peak.
CONTROL
find "$root" -type d -exec chmod 755 {} +
dpkg-deb --root-owner-group -Zxz --build "$root" "$dist/$package.deb" >/dev/null

git archive --format=tar.gz --prefix="Tarn-$version/" -o "$dist/Tarn-$version-source.tar.gz" HEAD

rm -rf "$work"
ls -l "$dist"
