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

repo=$(cd "$(dirname "$0")/.." && pwd)

# Building and running the program, fennix-morph and the companion library.
program=(
  g++ cmake make pkg-config
  qt6-base-dev qt6-image-formats-plugins libqt6svg6 qt6-translations-l10n
  qt6-tools-dev qt6-l10n-tools
  libavformat-dev libavcodec-dev libavfilter-dev libswscale-dev libavutil-dev
  libturbojpeg0-dev libwmf-dev libxcb1-dev
  libopencv-core-dev libopencv-imgproc-dev
  libopencv-features2d-dev libopencv-calib3d-dev libopencv-video-dev
  libopencv-objdetect-dev libopencv-dnn-dev opencv-data
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
  python3-skimage locales
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

# The face landmark model comes from the npm registry with the ordinary npm
# client; Debian's npm is installed where the machine has none.
command -v npm >/dev/null 2>&1 || missing+=(npm)

if [[ ${#missing[@]} -gt 0 ]]; then
  echo "install-deps: installing ${missing[*]}"
  if [[ $(id -u) -eq 0 ]]; then
    as_root=()
  else
    as_root=(sudo -n)
  fi
  export DEBIAN_FRONTEND=noninteractive
  "${as_root[@]}" apt-get update -q
  "${as_root[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# The 68-point face landmark network of @vladmandic/face-api 1.7.15 (MIT):
# its weights and manifest, checked by SHA-256, and its licence, kept in
# models/ (not in git). The build copies them beside the program; nothing is
# downloaded at run time.
model_dir="$repo/models"
model_package="@vladmandic/face-api@1.7.15"
model_files=(
  "face_landmark_68_model.bin 4611ef65c87d836d03d684b30eec4d195d8b219fa1dd58fc58945831c6b9299b"
  "face_landmark_68_model-weights_manifest.json ca4886639f86e99b39fed0c155f81b63317225773bd9616716e887b0153389c9"
)
model_ok() {
  local entry name sum
  for entry in "${model_files[@]}"; do
    read -r name sum <<<"$entry"
    [[ -f "$model_dir/$name" ]] || return 1
    [[ "$(sha256sum "$model_dir/$name" | cut -d' ' -f1)" == "$sum" ]] || return 1
  done
  [[ -f "$model_dir/face-api-LICENSE" ]]
}
if ! model_ok; then
  echo "install-deps: fetching the face landmark model ($model_package)"
  scratch=$(mktemp -d)
  trap 'rm -rf "$scratch"' EXIT
  (cd "$scratch" && npm pack --silent "$model_package" >/dev/null)
  tar -xzf "$scratch"/vladmandic-face-api-1.7.15.tgz -C "$scratch" package/LICENSE \
    package/model/face_landmark_68_model.bin \
    package/model/face_landmark_68_model-weights_manifest.json
  for entry in "${model_files[@]}"; do
    read -r name sum <<<"$entry"
    if [[ "$(sha256sum "$scratch/package/model/$name" | cut -d' ' -f1)" != "$sum" ]]; then
      echo "install-deps: $name from $model_package does not have the expected SHA-256" >&2
      exit 1
    fi
  done
  mkdir -p "$model_dir"
  for entry in "${model_files[@]}"; do
    read -r name sum <<<"$entry"
    cp "$scratch/package/model/$name" "$model_dir/$name"
  done
  cp "$scratch/package/LICENSE" "$model_dir/face-api-LICENSE"
fi
