#!/bin/bash
# Times fennix-morph against itself and against the ffmpeg program: the
# commands compared run in interleaved rounds (A B A B …, $RUNS rounds, 5
# unless set), so the machine's other work falls on each alike, and the
# median wall time of each is reported:
#   render: PROJECT.mph on the plain path and on the fastest vector path
#           (both on every core), side by side, with the two OpenCV recipes
#           of bench/OpenCvRecipe.cpp and with its --limit yardstick (the
#           fastest plausible warp that need not match Fennix's bytes);
#   avi:    the rendered frames to an AVI with each compressor, and ffmpeg
#           on the same frames with the same settings;
#   video:  the frames to MP4, WebM and GIF (VIDEO_FORMATS picks), and
#           ffmpeg with the same encoder settings and the same conversion to
#           4:2:0 (BT.709 video range, bicubic with accurate rounding and
#           full chroma interpolation, as the program's own scaler), the GIF
#           at its default size, scaled, with the same palette and dithering
#           filters.
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

# Wall time in seconds of one run of the command, its output dropped.
timed() {
    local start end
    start=$(date +%s.%N)
    "$@" > /dev/null 2>&1
    end=$(date +%s.%N)
    echo "$start $end" | awk '{print $2 - $1}'
}

# Runs the commands (each one word: a function or program without
# arguments) in $RUNS interleaved rounds and prints the median time of
# each, in their order.
runs=${RUNS:-5}
interleaved() {
    local -a times=()
    local i command
    for _ in $(seq "$runs"); do
        i=0
        for command in "$@"; do
            times[i]="${times[i]:-} $(timed "$command")"
            i=$((i + 1))
        done
    done
    for i in "${!times[@]}"; do
        echo "${times[i]}" | tr ' ' '\n' | grep . | sort -g |
            awk '{v[NR] = $1} END {print NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'
    done | tr '\n' ' '
    echo
}

ratio() { echo "$1 $2" | awk '{print $1 / $2}'; }

render() {  # path, folder
    rm -rf "$2"
    FENNIX_WARP_PATH=$1 "$morph" render "$project" "$2"
}

render_plain() { render plain "$work/plain"; }
render_fast() { render auto "$work/frames"; }
recipe=$(dirname "$morph")/fennix-opencv-recipe
# The OpenCV recipes (built when OpenCV's core and imgproc are installed)
# on the same project, writing the same kind of frame files: the common
# float, bilinear one, the lean nearest-pixel one and the limit yardstick.
opencv_render() { rm -rf "$work/opencv"; mkdir -p "$work/opencv"; "$recipe" "$project" "$work/opencv" "$@"; }
opencv_common() { opencv_render; }
opencv_nearest() { opencv_render --nearest; }
opencv_limit() { opencv_render --limit; }
if [ -x "$recipe" ]; then
    read -r plain fast common nearest limit < <(interleaved render_plain render_fast opencv_common \
        opencv_nearest opencv_limit)
else
    read -r plain fast < <(interleaved render_plain render_fast)
fi
printf 'render  plain %.2f s  vector %.2f s  ratio %.2f\n' "$plain" "$fast" "$(ratio "$fast" "$plain")"
if [ -x "$recipe" ]; then
    printf 'render  opencv common  %.2f s  vector %.2f s  ratio %.2f\n' "$common" "$fast" "$(ratio "$fast" "$common")"
    printf 'render  opencv nearest %.2f s  vector %.2f s  ratio %.2f\n' "$nearest" "$fast" "$(ratio "$fast" "$nearest")"
    printf 'render  limit          %.2f s  vector %.2f s  limit/vector %.2f\n' "$limit" "$fast" \
        "$(ratio "$limit" "$fast")"
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
    # shellcheck disable=SC2317
    ours_avi() { "$morph" avi "$work/frames" "$work/$codec.avi" --codec "$codec" --force; }
    # shellcheck disable=SC2046,SC2317
    theirs_avi() {
        ffmpeg -y -loglevel error -framerate 20 -i "$work/frames/%03d.bmp" $(ffmpeg_options "$codec") \
            "$work/$codec-ffmpeg.avi"
    }
    read -r ours theirs < <(interleaved ours_avi theirs_avi)
    printf 'avi %-6s fennix %.2f s  ffmpeg %.2f s  ratio %.2f\n' "$codec" "$ours" "$theirs" "$(ratio "$ours" "$theirs")"
done

# The videos for sharing, from the same frames at their own size, beside
# ffmpeg with the settings `video` uses at 標準 (normal quality).
# The 4:2:0 conversion of src/media/VideoExport.cpp: full-range RGB to the
# BT.709 video range, bicubic, accurate rounding, full chroma interpolation;
# the stream tagged BT.709 as the program tags it.
video_scale="scale=out_color_matrix=bt709:out_range=tv:flags=bicubic+accurate_rnd+full_chroma_int,format=yuv420p"
video_tags="-colorspace bt709 -color_primaries bt709 -color_trc bt709 -color_range tv"
video_ffmpeg_options() {
    case $1 in
        mp4) echo "-vf $video_scale -sws_flags bicubic+accurate_rnd+full_chroma_int -c:v libx264 -preset medium -profile:v high -crf 23 -pix_fmt yuv420p -g 40 -movflags +faststart $video_tags" ;;
        webm) echo "-vf $video_scale -sws_flags bicubic+accurate_rnd+full_chroma_int -c:v libvpx-vp9 -crf 32 -b:v 0 -deadline good -cpu-used 4 -row-mt 1 -pix_fmt yuv420p -g 40 $video_tags" ;;
    esac
}
size=$(ffprobe -v error -select_streams v:0 -show_entries stream=width,height -of csv=p=0:s=x \
    "$work/frames/000.bmp")
gif_filters() {  # width, height
    echo "scale=$1:$2:flags=bicubic,split[a][b];[a]palettegen=max_colors=256:reserve_transparent=0:stats_mode=full[p];[b][p]paletteuse=dither=bayer:bayer_scale=3:diff_mode=rectangle"
}
for format in ${VIDEO_FORMATS:-mp4 webm gif}; do
    if [ "$format" = gif ]; then
        "$morph" video "$work/frames" "$work/morph.gif" --force > /dev/null 2>&1
        gif_size=$(ffprobe -v error -select_streams v:0 -show_entries stream=width,height -of csv=p=0:s=x \
            "$work/morph.gif")
        # shellcheck disable=SC2317
        ours_video() { "$morph" video "$work/frames" "$work/morph.gif" --force; }
        # shellcheck disable=SC2317
        theirs_video() {
            ffmpeg -y -loglevel error -framerate 20 -i "$work/frames/%03d.bmp" \
                -filter_complex "$(gif_filters "${gif_size%x*}" "${gif_size#*x}")" -loop 0 "$work/ffmpeg.gif"
        }
    else
        # shellcheck disable=SC2317
        ours_video() { "$morph" video "$work/frames" "$work/morph.$format" --size "$size" --force; }
        # shellcheck disable=SC2046,SC2317
        theirs_video() {
            ffmpeg -y -loglevel error -framerate 20 -i "$work/frames/%03d.bmp" $(video_ffmpeg_options "$format") \
                "$work/ffmpeg.$format"
        }
    fi
    read -r ours theirs < <(interleaved ours_video theirs_video)
    printf 'video %-5s fennix %.2f s  ffmpeg %.2f s  ratio %.2f\n' "$format" "$ours" "$theirs" "$(ratio "$ours" "$theirs")"
done
