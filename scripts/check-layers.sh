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
# One grep reads every include line of the tree and one awk judges them.
set -euo pipefail
src=${1:-$(dirname "$0")/../src}
cd "$src"

allowed='core=core
media=core media companion
model=core media model
engine=core media model engine
ui=core media model engine ui
cli=core media model engine cli
companion=core companion'

# Headers of Qt's Widgets module, as the installed Qt names them.
widgets_dir=$(find /usr/include -maxdepth 3 -type d -path '*qt6/QtWidgets' 2>/dev/null | head -n 1)
widgets=""
[[ -n $widgets_dir ]] && widgets=$(ls -A "$widgets_dir")

# "./file:line" for every include, files in order, lines in file order.
{ grep -rHE --include='*.h' --include='*.cpp' '^#include [<"]' . || true; } |
  sort -s -t: -k1,1 |
  awk -v allowed="$allowed" -v widgets="$widgets" -v have_widgets="${widgets_dir:+1}" '
    BEGIN {
      n = split(allowed, rules, "\n")
      for (i = 1; i <= n; i++) {
        eq = index(rules[i], "=")
        below[substr(rules[i], 1, eq - 1)] = " " substr(rules[i], eq + 1) " "
      }
      n = split(widgets, names, "\n")
      for (i = 1; i <= n; i++) widget[names[i]] = 1
      status = 0
    }
    function flush() {
      if (file == "") return
      printf "%s%s", quoted, angled
      if (codec) print file ": ui/ uses the media layer, not FFmpeg, TurboJPEG, libwmf or OpenCV directly"
      if (qt) print file ": core/ uses no Qt"
      if (quoted != "" || angled != "" || codec || qt) status = 1
      quoted = angled = ""; codec = qt = 0
    }
    {
      colon = index($0, ":")
      name = substr($0, 3, colon - 3)
      line = substr($0, colon + 1)
      layer = name; sub(/\/.*/, "", layer)
      if (!(layer in below)) next
      if (name != file) { flush(); file = name }
      if (line ~ /^#include "/) {
        header = line; sub(/^[^"]*"/, "", header); sub(/"[^"]*$/, "", header)
        if (index(header, "/") == 0) next  # a header beside the file
        target = header; sub(/\/.*/, "", target)
        if (index(below[layer], " " target " ") == 0)
          quoted = quoted file ": includes " header " (" layer " may not use " target ")\n"
        next
      }
      if (line ~ /^#include <Q/) {
        if (layer == "core") qt = 1
        if (layer != "ui" && have_widgets) {
          header = line; sub(/^[^<]*</, "", header); sub(/>[^>]*$/, "", header)
          base = header; sub(/^QtWidgets\//, "", base)
          if (header ~ /^QtWidgets\// || header == "QtWidgets" || ((base in widget) && base ~ /^Q/))
            angled = angled file ": includes <" header ">, a Qt Widgets header outside ui/\n"
        }
      }
      if (layer == "ui" && line ~ /^#include <(libav|libsw|turbojpeg|libwmf|opencv)/) codec = 1
    }
    END {
      flush()
      if (status == 0) print "layers: every include goes down"
      exit status
    }'
