#!/usr/bin/env bash
# Installs the Debian 12 packages Fennix needs.
#
#   install-deps.sh          what building and running the program needs
#                            (make run)
#   install-deps.sh --test   that and what the tests, benchmarks, fuzzers,
#                            screenshots and package checks need (make test),
#                            the photos of opencv-doc among them
#
# Idempotent: only missing packages are installed, and the package lists are
# refreshed only when something has to be installed. Never prompts.
set -euo pipefail

# Building and running the program, fennix-morph and the companion library.
program=(
  g++ cmake make pkg-config
  qt6-base-dev qt6-image-formats-plugins libqt6svg6 qt6-translations-l10n
  qt6-tools-dev qt6-l10n-tools
  libavformat-dev libavcodec-dev libavfilter-dev libswscale-dev libavutil-dev
  libturbojpeg0-dev libwmf-dev libxcb1-dev
  libopencv-core-dev libopencv-imgproc-dev
  libopencv-features2d-dev libopencv-calib3d-dev libopencv-video-dev
  libopencv-objdetect-dev opencv-data
  fonts-ipafont-gothic
)

# The tests and everything else that is not the program: test and benchmark
# libraries, the photos the fit tests and benchmarks warp, a real X server
# with a window manager, clang for the fuzzers, the checks of the desktop
# entry, the metadata and the package.
checks=(
  libgtest-dev libgmock-dev libbenchmark-dev
  ffmpeg opencv-doc
  xvfb xauth openbox x11-utils
  clang libclang-rt-14-dev
  appstream desktop-file-utils shared-mime-info dpkg-dev fakeroot man-db lintian
)

packages=("${program[@]}")
case "${1:-}" in
  "") ;;
  --test) packages+=("${checks[@]}") ;;
  *) echo "usage: $0 [--test]" >&2; exit 2 ;;
esac

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done

if [[ ${#missing[@]} -eq 0 ]]; then
  exit 0
fi

echo "install-deps: installing ${missing[*]}"
if [[ $(id -u) -eq 0 ]]; then
  as_root=()
else
  as_root=(sudo -n)
fi
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -q
"${as_root[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
