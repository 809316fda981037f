#!/usr/bin/env bash
# Runs the walkthrough once more against a real X server (Xvfb) on the xcb
# platform. Exits 77, which ctest reports as skipped, when Xvfb is missing.
set -euo pipefail
test_binary=$1
if ! command -v xvfb-run >/dev/null || ! command -v Xvfb >/dev/null; then
    echo "e2e-xvfb: skipped, Xvfb is not installed (scripts/install-deps.sh installs it)"
    exit 77
fi
export QT_QPA_PLATFORM=xcb
exec xvfb-run -a -s "-screen 0 1280x1024x24" "$test_binary"
