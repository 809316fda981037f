#!/usr/bin/env bash
# Builds the Debian package of the build folder into a temporary folder and
# has lintian check it: any error fails (warnings are shown). Skipped (77)
# where lintian is not installed (scripts/install-deps.sh --test installs it).
# cpack first builds what is not built yet (after `make test`'s build:
# nothing).
set -euo pipefail
build=$1
command -v lintian >/dev/null || { echo "lintian is not installed"; exit 77; }
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
(cd "$build" && cpack -G DEB -B "$out" >"$out/cpack.log" 2>&1) || { cat "$out/cpack.log"; exit 1; }
debs=("$out"/*.deb)
[[ -f "${debs[0]}" ]] || { echo "cpack wrote no package"; cat "$out/cpack.log"; exit 1; }
# An ldconfig call is for libraries in the linker's folders, not the
# private one.
if dpkg-deb --ctrl-tarfile "${debs[0]}" | tar -tf - | grep -Eq '(postinst|postrm|triggers)$'; then
  if dpkg-deb -I "${debs[0]}" postinst postrm triggers 2>/dev/null | grep -q ldconfig; then
    echo "the package calls ldconfig"; exit 1
  fi
fi
lintian --fail-on error --tag-display-limit 0 "${debs[0]}"
