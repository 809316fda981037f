#!/usr/bin/env bash
# Installs the build into a temporary root and checks that the installed
# programs run from there: the links in bin/, the companion library beside
# the program (JPEG frames), the desktop entry and the icon.
set -euo pipefail
build=$1
samples=$2
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT

DESTDIR="$root" cmake --install "$build" --prefix /usr >/dev/null
prefix="$root/usr"
for f in bin/fennix bin/fennix-morph lib/fennix/libFennix.so \
         share/applications/fennix.desktop share/icons/hicolor/scalable/apps/fennix.svg; do
  [[ -e "$prefix/$f" ]] || { echo "missing after install: $f"; exit 1; }
done

work="$root/work"
mkdir -p "$work"
"$prefix/bin/fennix-morph" new "$samples/sun.bmp" "$samples/moon.bmp" "$work/p.mph" --frames 3
"$prefix/bin/fennix-morph" render "$work/p.mph" "$work/frames" --jpeg
for k in 000 001 002; do
  [[ -s "$work/frames/$k.jpg" ]] || { echo "frame $k.jpg was not written"; exit 1; }
done
echo "install check passed"
