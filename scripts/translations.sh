#!/usr/bin/env bash
# The English catalogue of the program's texts, translations/fennix_en.ts.
#   translations.sh update LUPDATE   reads every marked text of src/ into the
#                                    catalogue: new texts are added
#                                    unfinished, translated ones are kept, texts
#                                    no longer in the sources are dropped
#   translations.sh check LUPDATE    fails, naming them, when a text of src/
#                                    has no finished English translation in the
#                                    kept catalogue (the kept file is not touched)
# Texts are marked by Tr("Context", "日本語") and, in constants and tables,
# TrMark("Context", "日本語") (core/Translation.h); lupdate reads them as Qt's
# translate and QT_TRANSLATE_NOOP. No source locations are kept, so the
# catalogue changes only when texts do.
set -euo pipefail
mode=$1
lupdate=$2
root=$(cd "$(dirname "$0")/.." && pwd)
catalogue=$root/translations/fennix_en.ts

run_lupdate() {
  (cd "$root" && "$lupdate" -silent -locations none -no-obsolete -source-language ja \
     -target-language en -tr-function-alias translate+=Tr,QT_TRANSLATE_NOOP+=TrMark \
     src -ts "$1")
}

case $mode in
  update)
    run_lupdate "$catalogue"
    echo "updated $catalogue: $(grep -c '<source>' "$catalogue") texts," \
         "$(grep -c 'type="unfinished"' "$catalogue" || true) to translate"
    ;;
  check)
    scratch=$(mktemp -d)
    trap 'rm -rf "$scratch"' EXIT
    cp "$catalogue" "$scratch/fennix_en.ts"
    run_lupdate "$scratch/fennix_en.ts"
    # A message whose translation is unfinished (new, or kept empty): print
    # its source text.
    missing=$(awk '/<source>/ { source = $0 }
                   /type="unfinished"/ { sub(/^ *<source>/, "", source); sub(/<\/source>$/, "", source); print source }' \
              "$scratch/fennix_en.ts")
    if [[ -n $missing ]]; then
      echo "texts without an English translation (add them with 'make translations'," \
           "then translate them in translations/fennix_en.ts):"
      echo "$missing"
      exit 1
    fi
    if ! cmp -s "$catalogue" "$scratch/fennix_en.ts"; then
      echo "translations/fennix_en.ts holds texts the sources no longer have; run 'make translations':"
      diff "$catalogue" "$scratch/fennix_en.ts" || true
      exit 1
    fi
    echo "every text has its English translation"
    ;;
  *)
    echo "usage: translations.sh update|check LUPDATE" >&2
    exit 2
    ;;
esac
