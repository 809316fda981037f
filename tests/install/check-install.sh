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
private=$(dirname "$(readlink "$prefix/bin/fennix")")
for f in bin/fennix bin/fennix-morph "${private#../}/libFennix.so" \
         share/applications/io.github.fennix.Fennix.desktop share/metainfo/io.github.fennix.Fennix.metainfo.xml \
         share/man/man1/fennix.1.gz share/man/man1/fennix-morph.1.gz share/icons/hicolor/scalable/apps/fennix.svg \
         share/mime/packages/io.github.fennix.Fennix.xml share/doc/fennix/copyright share/doc/fennix/changelog.gz \
         "${private#../}/models/face_landmark_68_model.bin" \
         "${private#../}/models/face_landmark_68_model-weights_manifest.json" \
         "${private#../}/models/face-api-LICENSE"; do
  [[ -e "$prefix/$f" ]] || { echo "missing after install: $f"; exit 1; }
done

# The project files' type, as the desktop's MIME database takes it in, is
# the one the desktop entry opens.
update-mime-database "$prefix/share/mime"
grep -qx 'application/x-fennix-project:\*\.mph' <(cut -d: -f2- "$prefix/share/mime/globs2") || {
  echo "no *.mph glob in the MIME database:"; cat "$prefix/share/mime/globs2"; exit 1; }
grep -qx 'MimeType=application/x-fennix-project;' "$prefix/share/applications/io.github.fennix.Fennix.desktop" || {
  echo "the desktop entry does not open application/x-fennix-project"; exit 1; }

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
