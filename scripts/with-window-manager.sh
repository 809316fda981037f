#!/usr/bin/env bash
# Runs a command on a private Xvfb display with the openbox window manager,
# on Qt's xcb platform: what needs a window manager (the front window,
# maximising, activation) behaves as on a desktop. Exits 77 when Xvfb or
# openbox is missing (scripts/install-deps.sh installs both).
set -euo pipefail
if ! command -v xvfb-run >/dev/null || ! command -v openbox >/dev/null; then
    echo "with-window-manager: Xvfb or openbox is not installed" >&2
    exit 77
fi
if [[ -z "${WITH_WM_INNER:-}" ]]; then
    exec env WITH_WM_INNER=1 xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi
openbox --sm-disable >/dev/null 2>&1 &
wm=$!
trap 'kill $wm 2>/dev/null || true' EXIT
# The manager owns the screen once it has set its supporting-window property.
for _ in $(seq 50); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && break
    sleep 0.1
done
QT_QPA_PLATFORM=xcb "$@"
