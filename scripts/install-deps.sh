#!/usr/bin/env bash
# Installs the Debian 12 packages Fennix needs to build, test and run.
# Idempotent: only missing packages are installed, and the package lists are
# refreshed only when something has to be installed. Never prompts.
set -euo pipefail

packages=(
  g++ cmake make pkg-config
  qt6-base-dev qt6-image-formats-plugins libqt6svg6 qt6-translations-l10n
  libavformat-dev libavcodec-dev libavfilter-dev libswscale-dev libavutil-dev
  libturbojpeg0-dev libwmf-dev libxcb1-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  ffmpeg fonts-ipafont-gothic xvfb xauth openbox x11-utils
  clang libclang-rt-14-dev
  libopencv-core-dev libopencv-imgproc-dev
  libopencv-features2d-dev libopencv-calib3d-dev libopencv-video-dev
  libopencv-objdetect-dev opencv-data
  opencv-doc
  qt6-tools-dev qt6-l10n-tools
  appstream desktop-file-utils dpkg-dev fakeroot man-db
  locales
)

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
