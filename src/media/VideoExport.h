#pragma once

#include <QImage>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace fennix {

// The video files made for sharing, beside the AVI files: formats every
// browser and desktop player shows.
enum class VideoFormat {
    Mp4,   // H.264 (libx264), yuv420p, index at the front for streaming
    WebM,  // VP9 (libvpx-vp9), yuv420p
    Gif,   // one palette for the whole sequence, dithered, looping for ever
};

// How much the encoder may throw away: 高画質, 標準, 小さいファイル.
enum class VideoQuality { High, Normal, Small };

inline constexpr int kVideoRateMin = 1;
inline constexpr int kVideoRateMax = 60;
inline constexpr int kVideoRateDefault = 20;
// A GIF counts its frame delays in hundredths of a second, and browsers
// play a delay shorter than two hundredths as a slow one: a GIF never
// asks for more than 50 frames per second.
inline constexpr int kGifRateMax = 50;

struct VideoOptions {
    VideoFormat Format = VideoFormat::Mp4;
    int Width = 0;  // the picture's size; every frame is scaled to it
    int Height = 0;
    int Rate = kVideoRateDefault;  // frames per second, 1 … 60
    VideoQuality Quality = VideoQuality::Normal;
    bool PingPong = false;  // forward, then backward without repeating the ends
};

// The format named by the file's extension (.mp4, .webm, .gif, letters in
// any case); nothing for any other name.
std::optional<VideoFormat> VideoFormatOfPath(const std::string& path);

// "mp4", "webm" or "gif".
const char* VideoExtension(VideoFormat format);

// The libavcodec encoder a format is written with: libx264, libvpx-vp9, gif.
const char* VideoEncoderName(VideoFormat format);

// True when the installed FFmpeg has the encoder of `format`.
bool VideoEncoderAvailable(VideoFormat format);

// The order in which the N frames are shown: 0 … N−1, and with `pingPong`
// then N−2 … 1 as well (2N − 2 frames), so that the loop's seam is as
// smooth as the rest. Empty for N ≤ 0; a single frame is shown once.
std::vector<int> VideoFrameOrder(int count, bool pingPong);

// The size of the encoded picture for a width × height video: H.264 with
// 4:2:0 colour needs even sides, so an odd side of an MP4 grows by one; the
// other formats keep any size.
QSize EncodedVideoSize(VideoFormat format, int width, int height);

// The size a video is made at when none is set: the frames' own size,
// shrunk with its shape kept (never enlarged) to what plays everywhere. MP4
// and WebM fit 1920 × 1080 either way round (H.264 level 4.2 and the VP9
// that browsers decode in hardware), with even sides; a GIF is at most 640
// pixels wide, as it is a file of every pixel of every frame.
QSize DefaultVideoSize(VideoFormat format, QSize frame);

// One frame as it goes to the encoder: `source` scaled smoothly to
// width × height (unchanged when it has that size already), then grown to
// `encoded` by repeating its last column and row. 32-bit, opaque. A null
// image for a null source or a size that is not FrameSizeAllowed.
QImage VideoPicture(const QImage& source, int width, int height, QSize encoded);

// How an export ended.
enum class VideoOutcome {
    Written,         // the file is complete and in place
    Stopped,         // the progress callback asked to stop; no file is left
    NoFrames,        // the frame list is empty
    BadSize,         // the size is not FrameSizeAllowed
    LoadFailed,      // a frame could not be read (Result.Frame names it)
    OutputIsFrame,   // the output names one of the frames; nothing was written
    EncoderMissing,  // the installed FFmpeg lacks the encoder
    EncoderFailed,   // the encoder or the filters refused the frames
    WriteFailed,     // the file could not be written (Result.ErrorNumber says why)
};

struct VideoResult {
    VideoOutcome Outcome = VideoOutcome::Written;
    std::string Frame;    // the frame that could not be read
    int ErrorNumber = 0;  // errno of a failed write, when known
    std::string Reason;   // a short English reason, for the command line
};

// Called after every step with the steps done and the total (a GIF takes
// two passes over the frames, the other formats one); false stops there.
using VideoProgress = std::function<bool(int done, int total)>;

// Writes `output` from the image files `frames` (full paths, in order),
// each decoded, scaled to the options' size and encoded at the options'
// rate (kept within 1 … 60, 1 … 50 for a GIF). The file is built beside the
// target and replaces it only once complete: any failure, and a stop,
// leave an existing file as it was and nothing new behind.
VideoResult ExportVideo(const std::vector<std::string>& frames, const std::string& output,
                        const VideoOptions& options, const VideoProgress& progress = {});

// The message the window shows for a failed export, in Japanese: what
// failed and, on a second line, why. Empty for Written and Stopped.
std::string VideoFailureMessage(const VideoResult& result);

}  // namespace fennix
