#!/usr/bin/env bash
# Installs the build into a temporary root and checks that the installed
# programs run from there: the links in bin/, the companion library beside
# the program (JPEG frames), the English catalogue, the desktop entry, the
# AppStream metadata, the manual page, the icon and the face landmark model
# with its licence.
set -euo pipefail
build=$1
samples=$2
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT

DESTDIR="$root" cmake --install "$build" --prefix /usr >/dev/null
prefix="$root/usr"
for f in bin/fennix bin/fennix-morph lib/fennix/libFennix.so \
         share/applications/io.github.fennix.Fennix.desktop share/metainfo/io.github.fennix.Fennix.metainfo.xml share/man/man1/fennix-morph.1.gz share/icons/hicolor/scalable/apps/fennix.svg \
         lib/fennix/models/face_landmark_68_model.bin \
         lib/fennix/models/face_landmark_68_model-weights_manifest.json \
         lib/fennix/models/face-api-LICENSE; do
  [[ -e "$prefix/$f" ]] || { echo "missing after install: $f"; exit 1; }
done

work="$root/work"
mkdir -p "$work"
"$prefix/bin/fennix-morph" new "$samples/sun.bmp" "$samples/moon.bmp" "$work/p.mph" --frames 3
"$prefix/bin/fennix-morph" render "$work/p.mph" "$work/frames" --jpeg
for k in 000 001 002; do
  [[ -s "$work/frames/$k.jpg" ]] || { echo "frame $k.jpg was not written"; exit 1; }
done
# The English catalogue is found beside the installed program.
cp "$work/p.mph" "$work/damaged.mph"
printf '[fennix-additions]\nversion=99\n' >> "$work/damaged.mph"
if FENNIX_LANG=en "$prefix/bin/fennix-morph" render "$work/damaged.mph" "$work/none" 2> "$work/err"; then
  echo "a damaged project was rendered"; exit 1
fi
grep -q "additions of version 99 cannot be read" "$work/err" || {
  echo "no English message from the installed program:"; cat "$work/err"; exit 1; }
# The installed program finds its landmark model.
"$prefix/bin/fennix-morph" faces "$samples/sun.bmp" 2> "$work/faces-err" >/dev/null
if grep -q "face landmark model" "$work/faces-err"; then
  echo "the installed program does not find its face landmark model:"; cat "$work/faces-err"; exit 1
fi
echo "install check passed"
