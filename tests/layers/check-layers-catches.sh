#!/usr/bin/env bash
# The layer check still catches each kind of wrong include: a copy of src/
# in a temporary folder gets one of each, and every one must be reported
# (and the check must fail), while the untouched tree passes.
#   check-layers-catches.sh CHECK_SCRIPT SRC_FOLDER
set -euo pipefail
check=$1
src=$2
scratch=$(mktemp -d "${TMPDIR:-/tmp}/fennix-layers-XXXXXX")
trap 'rm -rf "$scratch"' EXIT

bash "$check" "$src" > "$scratch/clean.txt" || { cat "$scratch/clean.txt"; exit 1; }

cp -r "$src" "$scratch/src"
cd "$scratch/src"
ui_file=$(find ui -name '*.cpp' | sort | head -n 1)
engine_file=$(find engine -name '*.cpp' | sort | head -n 1)
# file | include line to add | message the check must print
cases=(
  "core/Paths.h|#include \"engine/MorphRun.h\"|core/Paths.h: includes engine/MorphRun.h (core may not use engine)"
  "core/Paths.cpp|#include <QString>|core/Paths.cpp: core/ uses no Qt"
  "media/WmfImage.cpp|#include \"ui/common/Tr.h\"|media/WmfImage.cpp: includes ui/common/Tr.h (media may not use ui)"
  "model/ProjectFile.cpp|#include <QWidget>|model/ProjectFile.cpp: includes <QWidget>, a Qt Widgets header outside ui/"
  "$engine_file|#include <QtWidgets/QLabel>|$engine_file: includes <QtWidgets/QLabel>, a Qt Widgets header outside ui/"
  "$ui_file|#include <libwmf/api.h>|$ui_file: ui/ uses the media layer, not FFmpeg, TurboJPEG, libwmf or OpenCV directly"
)
for c in "${cases[@]}"; do
  IFS='|' read -r file line _ <<< "$c"
  sed -i "1i $line" "$file"
done
status=0
bash "$check" "$scratch/src" > "$scratch/broken.txt" || status=$?
failed=0
if [[ $status -eq 0 ]]; then
  echo "the check passed a tree with wrong includes"
  failed=1
fi
for c in "${cases[@]}"; do
  IFS='|' read -r _ _ message <<< "$c"
  if ! grep -qxF "$message" "$scratch/broken.txt"; then
    echo "not reported: $message"
    failed=1
  fi
done
if [[ $(wc -l < "$scratch/broken.txt") -ne ${#cases[@]} ]]; then
  echo "reports beyond the wrong includes:"
  cat "$scratch/broken.txt"
  failed=1
fi
[[ $failed -eq 0 ]] && echo "layers: all ${#cases[@]} wrong includes caught"
exit $failed
