#!/usr/bin/env bash
# Checks the layering of src/: every folder includes only its own headers
# and those of the layers below it, only ui/ includes Qt Widgets, and ui/
# reaches codecs only through media/.
#   core      plain C++, no Qt at all
#   media     image, metafile and video formats      (core)
#   model     the document as data                   (core, media)
#   engine    warp, runs, preview frames, jobs       (core, media, model)
#   ui        windows, dialogs, controls             (everything above)
#   cli       the batch front end                    (core, media, model, engine)
#   companion the JPEG library, built on its own     (core)
# Prints every include that breaks the rule and fails when there is one.
set -euo pipefail
src=${1:-$(dirname "$0")/../src}
cd "$src"

declare -A allowed=(
  [core]="core"
  [media]="core media companion"
  [model]="core media model"
  [engine]="core media model engine"
  [ui]="core media model engine ui"
  [cli]="core media model engine cli"
  [companion]="core companion"
)

# Headers of Qt's Widgets module, as the installed Qt names them.
widgets_dir=$(find /usr/include -maxdepth 3 -type d -path '*qt6/QtWidgets' 2>/dev/null | head -n 1)

status=0
while IFS= read -r file; do
  layer=${file%%/*}
  [[ -n ${allowed[$layer]:-} ]] || continue
  while IFS= read -r line; do
    header=${line#*\"}; header=${header%\"*}
    target=${header%%/*}
    [[ $header == */* ]] || continue  # a header beside the file
    if [[ " ${allowed[$layer]} " != *" $target "* ]]; then
      echo "$file: includes $header ($layer may not use $target)"
      status=1
    fi
  done < <(grep -E '^#include "' "$file" || true)
  if [[ $layer != ui && -n $widgets_dir ]]; then
    while IFS= read -r line; do
      header=${line#*<}; header=${header%>*}
      name=${header#QtWidgets/}
      if [[ $header == QtWidgets/* || $header == QtWidgets || -e $widgets_dir/$name && $name == Q* ]]; then
        echo "$file: includes <$header>, a Qt Widgets header outside ui/"
        status=1
      fi
    done < <(grep -E '^#include <Q' "$file" || true)
  fi
  # Codecs and decoders stay below the windows.
  if [[ $layer == ui ]] && grep -qE '^#include <(libav|libsw|turbojpeg|libwmf|opencv)' "$file"; then
    echo "$file: ui/ uses the media layer, not FFmpeg, TurboJPEG, libwmf or OpenCV directly"
    status=1
  fi
  if [[ $layer == core ]] && grep -qE '^#include <Q' "$file"; then
    echo "$file: core/ uses no Qt"
    status=1
  fi
done < <(find . -name '*.h' -o -name '*.cpp' | sed 's|^\./||' | sort)

[[ $status -eq 0 ]] && echo "layers: every include goes down"
exit $status
