#!/bin/bash
# Times fennix-morph against itself and against the ffmpeg program, each
# run $RUNS times (5 unless set), the best time reported:
#   render: PROJECT.mph on the plain path and on the fastest vector path
#           (both on every core), side by side, and with the two OpenCV
#           recipes of bench/OpenCvRecipe.cpp;
#   avi:    the rendered frames to an AVI with each compressor, and ffmpeg
#           on the same frames with the same settings;
#   video:  the frames to MP4, WebM and GIF (VIDEO_FORMATS picks), and
#           ffmpeg with the same encoder settings (the GIF at its default
#           size, scaled, with the same palette and dithering filters).
# usage: bench/compare.sh PROJECT.mph [path/to/fennix-morph] [codec …]
# The frames and videos go to a temporary folder (under $TMPDIR: a tmpfs such
# as /dev/shm keeps disk write-back out of the figures), removed at the end.
set -euo pipefail

project=${1:?usage: compare.sh PROJECT.mph [fennix-morph] [codec ...]}
morph=${2:-$(dirname "$0")/../build/bin/fennix-morph}
shift $(( $# >= 2 ? 2 : 1 ))
codecs=("$@")
[ ${#codecs[@]} -gt 0 ] || codecs=(mjpeg mpeg4 h264 ffv1)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Best wall time in seconds of $RUNS runs of the command: the machine's
# other work only ever adds time.
runs=${RUNS:-5}
best() {
    local best=
    for _ in $(seq "$runs"); do
        local start end
        start=$(date +%s.%N)
        "$@" > /dev/null 2>&1
        end=$(date +%s.%N)
        best=$(echo "$start $end ${best:-1e9}" | awk '{t = $2 - $1; print (t < $3 ? t : $3)}')
    done
    echo "$best"
}

render() {  # path, folder
    rm -rf "$2"
    FENNIX_WARP_PATH=$1 "$morph" render "$project" "$2"
}

plain=$(best render plain "$work/plain")
fast=$(best render auto "$work/frames")
printf 'render  plain %.2f s  vector %.2f s  ratio %.2f\n' "$plain" "$fast" \
    "$(echo "$fast $plain" | awk '{print $1 / $2}')"

# The OpenCV recipes (built when OpenCV's core and imgproc are installed)
# on the same project, writing the same kind of frame files: the common
# float, bilinear one and the lean nearest-pixel one.
recipe=$(dirname "$morph")/fennix-opencv-recipe
if [ -x "$recipe" ]; then
    opencv_render() { rm -rf "$work/opencv"; mkdir -p "$work/opencv"; "$recipe" "$project" "$work/opencv" "$@"; }
    for variant in common nearest; do
        option=; [ "$variant" = nearest ] && option=--nearest
        # shellcheck disable=SC2086
        opencv=$(best opencv_render $option)
        printf 'render  opencv %-7s %.2f s  vector %.2f s  ratio %.2f\n' "$variant" "$opencv" "$fast" \
            "$(echo "$fast $opencv" | awk '{print $1 / $2}')"
    done
fi

# ffmpeg's options for what each of Fennix's compressors writes at its
# default settings (quality 75, a key frame every frame).
ffmpeg_options() {
    case $1 in
        mjpeg) echo "-c:v mjpeg -pix_fmt yuvj420p -q:v 9 -qmin 9 -qmax 9" ;;
        mpeg4) echo "-c:v mpeg4 -pix_fmt yuv420p -q:v 9 -qmin 9 -qmax 9 -g 1 -bf 0" ;;
        h264) echo "-c:v libx264 -pix_fmt yuv420p -crf 12 -g 1 -bf 0" ;;
        ffv1) echo "-c:v ffv1 -pix_fmt bgr0" ;;
    esac
}

# Each timed run replaces the file of the one before: --force for fennix-morph
# as -y for ffmpeg.
for codec in "${codecs[@]}"; do
    ours=$(best "$morph" avi "$work/frames" "$work/$codec.avi" --codec "$codec" --force)
    # shellcheck disable=SC2046
    theirs=$(best ffmpeg -y -loglevel error -framerate 20 -i "$work/frames/%03d.bmp" \
        $(ffmpeg_options "$codec") "$work/$codec-ffmpeg.avi")
    printf 'avi %-6s fennix %.2f s  ffmpeg %.2f s  ratio %.2f\n' "$codec" "$ours" "$theirs" \
        "$(echo "$ours $theirs" | awk '{print $1 / $2}')"
done

# The videos for sharing, from the same frames at their own size, beside
# ffmpeg with the settings `video` uses at 標準 (normal quality).
video_ffmpeg_options() {
    case $1 in
        mp4) echo "-c:v libx264 -preset medium -profile:v high -crf 23 -pix_fmt yuv420p -g 40 -movflags +faststart" ;;
        webm) echo "-c:v libvpx-vp9 -crf 32 -b:v 0 -deadline good -cpu-used 4 -row-mt 1 -pix_fmt yuv420p -g 40" ;;
    esac
}
size=$(ffprobe -v error -select_streams v:0 -show_entries stream=width,height -of csv=p=0:s=x \
    "$work/frames/000.bmp")
gif_filters() {  # width, height
    echo "scale=$1:$2:flags=bicubic,split[a][b];[a]palettegen=max_colors=256:reserve_transparent=0:stats_mode=full[p];[b][p]paletteuse=dither=bayer:bayer_scale=3:diff_mode=rectangle"
}
for format in ${VIDEO_FORMATS:-mp4 webm gif}; do
    if [ "$format" = gif ]; then
        ours=$(best "$morph" video "$work/frames" "$work/morph.gif" --force)
        gif_size=$(ffprobe -v error -select_streams v:0 -show_entries stream=width,height -of csv=p=0:s=x \
            "$work/morph.gif")
        theirs=$(best ffmpeg -y -loglevel error -framerate 20 -i "$work/frames/%03d.bmp" \
            -filter_complex "$(gif_filters "${gif_size%x*}" "${gif_size#*x}")" -loop 0 "$work/ffmpeg.gif")
    else
        ours=$(best "$morph" video "$work/frames" "$work/morph.$format" --size "$size" --force)
        # shellcheck disable=SC2046
        theirs=$(best ffmpeg -y -loglevel error -framerate 20 -i "$work/frames/%03d.bmp" \
            $(video_ffmpeg_options "$format") "$work/ffmpeg.$format")
    fi
    printf 'video %-5s fennix %.2f s  ffmpeg %.2f s  ratio %.2f\n' "$format" "$ours" "$theirs" \
        "$(echo "$ours $theirs" | awk '{print $1 / $2}')"
done
