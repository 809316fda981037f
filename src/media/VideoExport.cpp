#include "media/VideoExport.h"

#include <QPainter>
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <future>
#include <system_error>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavfilter/avfilter.h>
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

#include "core/SafeWrite.h"
#include "core/Translation.h"
#include "media/AviFrames.h"
#include "media/ImageFile.h"
#include "media/LibavText.h"

namespace fennix {

std::optional<VideoFormat> VideoFormatOfPath(const std::string& path) {
    const size_t dot = path.find_last_of("./");
    if (dot == std::string::npos || path[dot] != '.') return std::nullopt;
    std::string extension = path.substr(dot + 1);
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (const VideoFormat format : {VideoFormat::Mp4, VideoFormat::WebM, VideoFormat::Gif})
        if (extension == VideoExtension(format)) return format;
    return std::nullopt;
}

const char* VideoExtension(VideoFormat format) {
    switch (format) {
        case VideoFormat::Mp4:
            return "mp4";
        case VideoFormat::WebM:
            return "webm";
        case VideoFormat::Gif:
            return "gif";
    }
    return "";
}

const char* VideoEncoderName(VideoFormat format) {
    switch (format) {
        case VideoFormat::Mp4:
            return "libx264";
        case VideoFormat::WebM:
            return "libvpx-vp9";
        case VideoFormat::Gif:
            return "gif";
    }
    return "";
}

bool VideoEncoderAvailable(VideoFormat format) {
    return avcodec_find_encoder_by_name(VideoEncoderName(format)) != nullptr;
}

std::vector<int> VideoFrameOrder(int count, bool pingPong) {
    std::vector<int> order;
    for (int k = 0; k < count; ++k) order.push_back(k);
    if (pingPong)
        for (int k = count - 2; k >= 1; --k) order.push_back(k);
    return order;
}

QSize EncodedVideoSize(VideoFormat format, int width, int height) {
    if (format != VideoFormat::Mp4) return {width, height};
    return {width + (width & 1), height + (height & 1)};
}

QSize DefaultVideoSize(VideoFormat format, QSize frame) {
    if (frame.width() < 1 || frame.height() < 1) return frame;
    // The scale num / den, exact: the smallest of 1 and limit / length.
    int64_t num = 1, den = 1;
    const auto limit = [&](int64_t most, int64_t length) {
        if (most * den < num * length) num = most, den = length;
    };
    const int longer = std::max(frame.width(), frame.height());
    const int shorter = std::min(frame.width(), frame.height());
    if (format == VideoFormat::Gif) {
        limit(640, frame.width());
    } else {
        limit(1920, longer);
        limit(1080, shorter);
    }
    if (num == den) return frame;
    // Video sides even (4:2:0 colour halves them), a GIF's as they come.
    const int step = format == VideoFormat::Gif ? 1 : 2;
    const auto side = [&](int length) {
        return std::max(step, static_cast<int>(length * num / den / step * step));
    };
    return {side(frame.width()), side(frame.height())};
}

QImage VideoPicture(const QImage& source, int width, int height, QSize encoded) {
    if (source.isNull() || !FrameSizeAllowed(width, height) ||
        !FrameSizeAllowed(encoded.width(), encoded.height()) || encoded.width() < width ||
        encoded.height() < height)
        return {};
    QImage scaled =
        source.size() == QSize(width, height)
            ? source
            : source.scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    scaled = scaled.convertToFormat(QImage::Format_RGB32);
    if (encoded == scaled.size()) return scaled;
    QImage grown(encoded, QImage::Format_RGB32);
    if (grown.isNull()) return {};
    for (int y = 0; y < encoded.height(); ++y) {
        const auto* from =
            reinterpret_cast<const QRgb*>(scaled.constScanLine(std::min(y, height - 1)));
        auto* to = reinterpret_cast<QRgb*>(grown.scanLine(y));
        std::copy(from, from + width, to);
        std::fill(to + width, to + encoded.width(), from[width - 1]);
    }
    return grown;
}

namespace {

// The errno value behind a libav error code, when it stands for one.
int ErrnoOf(int error) {
    return error < 0 && error > -4096 ? -error : 0;
}

// One frame in memory as the filters and the scaler take it: native 32-bit
// words, 0xffRRGGBB, which libav calls RGB32 on every byte order.
AVFrame* FrameOf(const QImage& picture, int64_t pts) {
    AVFrame* frame = av_frame_alloc();
    if (!frame) return nullptr;
    frame->format = AV_PIX_FMT_RGB32;
    frame->width = picture.width();
    frame->height = picture.height();
    frame->pts = pts;
    if (av_frame_get_buffer(frame, 0) < 0) {
        av_frame_free(&frame);
        return nullptr;
    }
    av_image_copy_plane(frame->data[0], frame->linesize[0], picture.constBits(),
                        static_cast<int>(picture.bytesPerLine()), picture.width() * 4,
                        picture.height());
    return frame;
}

struct FrameDeleter {
    void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
using FramePtr = std::unique_ptr<AVFrame, FrameDeleter>;

// The output file: the container, the encoder, and the scratch file it is
// built in until it is complete.
class VideoFile {
  public:
    explicit VideoFile(VideoResult& result) : result_(result) {}
    ~VideoFile() {
        // The GIF muxer holds the last packet until its trailer writes it:
        // an export that stopped or failed on the way writes the trailer
        // into the scratch file that goes anyway, so that packet is freed.
        if (gifOpen_) av_write_trailer(format_);
        av_packet_free(&packet_);
        avcodec_free_context(&encoder_);
        if (format_) {
            if (format_->pb) avio_closep(&format_->pb);
            avformat_free_context(format_);
        }
        // An unfinished scratch file goes with `out_`.
    }

    bool Open(const std::string& path, VideoFormat kind) {
        if (!out_.Begin(path)) return WriteFailure(out_.ErrorNumber(), out_.Error());
        const char* container = kind == VideoFormat::Mp4    ? "mp4"
                                : kind == VideoFormat::WebM ? "webm"
                                                            : "gif";
        // The scratch file's own name, so that the MP4 muxer can read the
        // file back when it moves the index to the front. "file:" keeps a
        // colon in the name from being read as a protocol.
        const std::string url = "file:" + out_.ScratchPath();
        if (avformat_alloc_output_context2(&format_, nullptr, container, url.c_str()) < 0 ||
            !format_)
            return Failure(VideoOutcome::EncoderFailed, "the container cannot be made");
        const int opened = avio_open(&format_->pb, url.c_str(), AVIO_FLAG_WRITE);
        if (opened < 0) {
            format_->pb = nullptr;
            return WriteFailure(ErrnoOf(opened), "cannot write " + path + ": " + LibavErrorText(opened));
        }
        packet_ = av_packet_alloc();
        return packet_ != nullptr || Failure(VideoOutcome::EncoderFailed, "out of memory");
    }

    // Opens the encoder of `kind` for frames of `size` and writes the header.
    bool Start(VideoFormat kind, QSize size, int rate, VideoQuality quality) {
        const AVCodec* codec = avcodec_find_encoder_by_name(VideoEncoderName(kind));
        if (!codec)
            return Failure(VideoOutcome::EncoderMissing, std::string("the encoder ") +
                                                             VideoEncoderName(kind) +
                                                             " is not in the installed FFmpeg");
        encoder_ = avcodec_alloc_context3(codec);
        if (!encoder_) return Failure(VideoOutcome::EncoderFailed, "out of memory");
        AVCodecContext* c = encoder_;
        c->width = size.width();
        c->height = size.height();
        c->time_base = AVRational{1, rate};
        c->framerate = AVRational{rate, 1};
        c->sample_aspect_ratio = AVRational{1, 1};
        const int level = quality == VideoQuality::High     ? 0
                          : quality == VideoQuality::Normal ? 1
                                                            : 2;
        if (kind == VideoFormat::Gif) {
            c->pix_fmt = AV_PIX_FMT_PAL8;
        } else {
            // 4:2:0 in the video range, BT.709 colours: what browsers and
            // players take without question.
            c->pix_fmt = AV_PIX_FMT_YUV420P;
            c->color_range = AVCOL_RANGE_MPEG;
            c->colorspace = AVCOL_SPC_BT709;
            c->color_primaries = AVCOL_PRI_BT709;
            c->color_trc = AVCOL_TRC_BT709;
            // A key frame every two seconds or so keeps seeking quick.
            c->gop_size = std::max(rate * 2, 1);
            // Every core, as ffmpeg's own encoders do (libavcodec asks for
            // one thread unless told).
            c->thread_count = 0;
        }
        if (kind == VideoFormat::Mp4) {
            static const char* const kCrf[] = {"18", "23", "28"};
            av_opt_set(c->priv_data, "preset", "medium", 0);
            av_opt_set(c->priv_data, "profile", "high", 0);
            av_opt_set(c->priv_data, "crf", kCrf[level], 0);
        } else if (kind == VideoFormat::WebM) {
            // Constant quality (no target rate); speed 4 with row threads is
            // the usual balance for files made on a desktop.
            static const int kCrf[] = {24, 32, 40};
            c->bit_rate = 0;
            av_opt_set_int(c->priv_data, "crf", kCrf[level], 0);
            av_opt_set(c->priv_data, "deadline", "good", 0);
            av_opt_set_int(c->priv_data, "cpu-used", 4, 0);
            av_opt_set_int(c->priv_data, "row-mt", 1, 0);
        }
        if (format_->oformat->flags & AVFMT_GLOBALHEADER) c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        if (const int opened = avcodec_open2(c, codec, nullptr); opened < 0)
            return Failure(VideoOutcome::EncoderFailed,
                           std::string("the encoder ") + codec->name +
                               " refused the frames: " + LibavErrorText(opened));

        stream_ = avformat_new_stream(format_, nullptr);
        if (!stream_ || avcodec_parameters_from_context(stream_->codecpar, c) < 0)
            return Failure(VideoOutcome::EncoderFailed, "out of memory");
        stream_->time_base = c->time_base;
        stream_->avg_frame_rate = c->framerate;
        stream_->r_frame_rate = c->framerate;
        stream_->sample_aspect_ratio = c->sample_aspect_ratio;

        AVDictionary* options = nullptr;
        if (kind == VideoFormat::Mp4) av_dict_set(&options, "movflags", "+faststart", 0);
        if (kind == VideoFormat::Gif) av_dict_set(&options, "loop", "0", 0);  // for ever
        const int written = avformat_write_header(format_, &options);
        av_dict_free(&options);
        if (written < 0) return WriteError(written);
        gifOpen_ = kind == VideoFormat::Gif;
        return true;
    }

    // Encodes one frame (null: flushes the encoder) and writes what it gives.
    bool Encode(AVFrame* frame) {
        if (const int sent = avcodec_send_frame(encoder_, frame); sent < 0)
            return Failure(VideoOutcome::EncoderFailed, "the encoder failed: " + LibavErrorText(sent));
        for (;;) {
            const int received = avcodec_receive_packet(encoder_, packet_);
            if (received == AVERROR(EAGAIN) || received == AVERROR_EOF) return true;
            if (received < 0)
                return Failure(VideoOutcome::EncoderFailed,
                               "the encoder failed: " + LibavErrorText(received));
            av_packet_rescale_ts(packet_, encoder_->time_base, stream_->time_base);
            packet_->stream_index = stream_->index;
            if (const int written = av_interleaved_write_frame(format_, packet_); written < 0)
                return WriteError(written);
        }
    }

    // Flushes the encoder, finishes the container and puts the file in place.
    bool Finish() {
        if (!Encode(nullptr)) return false;
        gifOpen_ = false;
        if (const int trailer = av_write_trailer(format_); trailer < 0) return WriteError(trailer);
        // A write that failed on the way (a full disk) is recorded in the
        // context; the close reports a failed flush.
        avio_flush(format_->pb);
        int closed = format_->pb->error;
        if (closed >= 0) closed = avio_closep(&format_->pb);
        if (closed < 0) return WriteError(closed);
        if (!out_.Commit(false)) return WriteFailure(out_.ErrorNumber(), out_.Error());
        return true;
    }

    const AVCodecContext* Encoder() const { return encoder_; }

  private:
    bool Failure(VideoOutcome outcome, const std::string& reason) {
        result_.Outcome = outcome;
        result_.Reason = reason;
        return false;
    }
    bool WriteFailure(int error, const std::string& reason) {
        result_.ErrorNumber = error;
        return Failure(VideoOutcome::WriteFailed, reason);
    }
    // A failed write: the context's own record comes first, as it holds
    // the first error (a full disk) where later calls report only EIO.
    bool WriteError(int error) {
        if (format_ && format_->pb && format_->pb->error < 0) error = format_->pb->error;
        return WriteFailure(ErrnoOf(error), "cannot write " + out_.Target() + ": " + LibavErrorText(error));
    }

    VideoResult& result_;
    SafeFile out_;
    AVFormatContext* format_ = nullptr;
    AVStream* stream_ = nullptr;
    AVCodecContext* encoder_ = nullptr;
    AVPacket* packet_ = nullptr;
    bool gifOpen_ = false;  // a GIF's header is written and its trailer not yet
};

// A filter graph from sources named "in" (and "pal" for a palette) to one
// sink "out", for the GIF's palette.
class Filters {
  public:
    ~Filters() { avfilter_graph_free(&graph_); }

    // `palette`: the size of the palette picture the graph also takes, or
    // empty for a graph with one source.
    bool Build(const char* description, QSize size, int rate, QSize palette = {}) {
        graph_ = avfilter_graph_alloc();
        if (!graph_) return false;
        // Two threads at most: the filters share the machine with the encoder.
        graph_->nb_threads = 2;
        auto source = [&](const char* name, QSize sourceSize, AVFilterContext** context) {
            char args[160];
            std::snprintf(
                args, sizeof args, "video_size=%dx%d:pix_fmt=%d:time_base=1/%d:pixel_aspect=1/1",
                sourceSize.width(), sourceSize.height(), static_cast<int>(AV_PIX_FMT_RGB32), rate);
            return avfilter_graph_create_filter(context, avfilter_get_by_name("buffer"), name, args,
                                                nullptr, graph_) >= 0;
        };
        if (!source("in", size, &in_)) return false;
        if (!palette.isEmpty() && !source("pal", palette, &pal_)) return false;
        if (avfilter_graph_create_filter(&out_, avfilter_get_by_name("buffersink"), "out", nullptr,
                                         nullptr, graph_) < 0)
            return false;

        AVFilterInOut* outputs = Link("in", in_, pal_ ? Link("pal", pal_, nullptr) : nullptr);
        AVFilterInOut* inputs = Link("out", out_, nullptr);
        const int parsed =
            avfilter_graph_parse_ptr(graph_, description, &inputs, &outputs, nullptr);
        avfilter_inout_free(&inputs);
        avfilter_inout_free(&outputs);
        return parsed >= 0 && avfilter_graph_config(graph_, nullptr) >= 0;
    }

    // Gives the graph a frame (null: the end) on the source "in" or "pal".
    // With `push` the graph takes the frame in at once, as far as it can
    // go; otherwise the frame waits in the graph until an output is asked
    // for. A filter that gives its output only at the end (the palette's
    // statistics) must be pushed every frame, or every frame of the
    // sequence would wait in memory and all the work would come at the
    // end, where nothing can stop it.
    bool Add(AVFrame* frame, bool palette = false, bool push = false) {
        const int flags = AV_BUFFERSRC_FLAG_KEEP_REF | (push ? AV_BUFFERSRC_FLAG_PUSH : 0);
        return av_buffersrc_add_frame_flags(palette ? pal_ : in_, frame, flags) >= 0;
    }

    // The next frame the graph has ready: a frame, or null with `failed`
    // false when it has none yet (or no more).
    FramePtr Take(bool& failed) {
        failed = false;
        FramePtr frame(av_frame_alloc());
        if (!frame) {
            failed = true;
            return nullptr;
        }
        const int got = av_buffersink_get_frame(out_, frame.get());
        if (got == AVERROR(EAGAIN) || got == AVERROR_EOF) return nullptr;
        if (got < 0) {
            failed = true;
            return nullptr;
        }
        return frame;
    }

  private:
    static AVFilterInOut* Link(const char* name, AVFilterContext* context, AVFilterInOut* next) {
        AVFilterInOut* link = avfilter_inout_alloc();
        if (!link) return next;
        link->name = av_strdup(name);
        link->filter_ctx = context;
        link->pad_idx = 0;
        link->next = next;
        return link;
    }

    AVFilterGraph* graph_ = nullptr;
    AVFilterContext* in_ = nullptr;
    AVFilterContext* pal_ = nullptr;
    AVFilterContext* out_ = nullptr;
};

// Everything one export needs while it goes through the frames.
struct Export {
    const std::vector<std::string>& frames;
    VideoOptions options;
    QSize encoded;
    const VideoProgress& progress;
    VideoResult& result;
    int done = 0, total = 0;

    struct Loaded {
        QImage picture;  // null when the frame cannot be read
        bool decoded = false;
        ImageFailure why = ImageFailure::None;
    };
    std::future<Loaded> ahead{};  // the frame read while the one before is encoded
    int aheadIndex = -1;

    // Frame k decoded and brought to the encoded size. Touches nothing
    // shared, so it may run on a thread of its own.
    Loaded Load(int k) const {
        Loaded loaded;
        const auto image = LoadImageFile(frames[k], &loaded.why);
        loaded.decoded = image.has_value();
        if (image) loaded.picture = VideoPicture(*image, options.Width, options.Height, encoded);
        return loaded;
    }

    // Frame k as Load makes it, taken from the read ahead when that was
    // frame k; a null picture (and the failure recorded) when it cannot be
    // read. With `next`, frame `next` is read meanwhile on a thread of its
    // own, while the caller encodes frame k.
    QImage Picture(int k, int next = -1) {
        Loaded loaded = aheadIndex == k ? ahead.get() : Load(k);
        if (ahead.valid()) ahead.get();  // another frame read ahead: not wanted
        aheadIndex = -1;
        if (loaded.picture.isNull()) {
            result.Outcome = VideoOutcome::LoadFailed;
            result.Frame = frames[k];
            result.Reason = "cannot read the frame " + frames[k] +
                            (loaded.decoded ? std::string()
                                            : std::string(": ") + ImageFailureText(loaded.why));
        } else if (next >= 0) {
            try {
                ahead = std::async(std::launch::async, [this, next] { return Load(next); });
                aheadIndex = next;
            } catch (const std::system_error&) {
                // No thread to be had: the next frame is read when it is asked for.
            }
        }
        return loaded.picture;
    }

    // Counts a step; false when the caller asked to stop.
    bool Step() {
        ++done;
        if (!progress || progress(done, total)) return true;
        result.Outcome = VideoOutcome::Stopped;
        result.Reason = "stopped";
        return false;
    }
};

// MP4 and WebM: every frame converted to 4:2:0 and encoded in order.
bool WriteYuv(Export& e, VideoFile& file, const std::vector<int>& order) {
    const int w = e.encoded.width(), h = e.encoded.height();
    SwsContext* scaler = sws_getContext(w, h, AV_PIX_FMT_RGB32, w, h, AV_PIX_FMT_YUV420P,
                                        SWS_BICUBIC | SWS_ACCURATE_RND | SWS_FULL_CHR_H_INT,
                                        nullptr, nullptr, nullptr);
    FramePtr frame(av_frame_alloc());
    if (!scaler || !frame) {
        sws_freeContext(scaler);
        e.result.Outcome = VideoOutcome::EncoderFailed;
        e.result.Reason = "out of memory";
        return false;
    }
    // Full-range RGB in, BT.709 video range out, as the stream declares.
    const int* bt709 = sws_getCoefficients(SWS_CS_ITU709);
    sws_setColorspaceDetails(scaler, sws_getCoefficients(SWS_CS_DEFAULT), 1, bt709, 0, 0, 1 << 16,
                             1 << 16);
    frame->format = AV_PIX_FMT_YUV420P;
    frame->width = w;
    frame->height = h;
    frame->color_range = AVCOL_RANGE_MPEG;
    frame->colorspace = AVCOL_SPC_BT709;
    bool ok = av_frame_get_buffer(frame.get(), 0) >= 0;
    if (!ok) {
        e.result.Outcome = VideoOutcome::EncoderFailed;
        e.result.Reason = "out of memory";
    }
    for (size_t i = 0; ok && i < order.size(); ++i) {
        const QImage picture =
            e.Picture(order[i], i + 1 < order.size() ? order[i + 1] : -1);
        // The scaler reads from a padded copy: its vector loops run a little
        // past the end of the last row, beyond what a QImage holds.
        const FramePtr rgb(picture.isNull() ? nullptr : FrameOf(picture, 0));
        if (!rgb || av_frame_make_writable(frame.get()) < 0) {
            ok = false;
            break;
        }
        sws_scale(scaler, rgb->data, rgb->linesize, 0, h, frame->data, frame->linesize);
        frame->pts = static_cast<int64_t>(i);
        ok = file.Encode(frame.get()) && e.Step();
    }
    sws_freeContext(scaler);
    return ok;
}

// GIF: a first pass over the frames finds the one palette of the whole
// sequence, the second maps every frame to it with dithering.
bool WriteGif(Export& e, VideoFile& file, const std::vector<int>& order) {
    const int level = e.options.Quality == VideoQuality::High     ? 0
                      : e.options.Quality == VideoQuality::Normal ? 1
                                                                  : 2;
    // Error diffusion gives the finest gradients; ordered (Bayer) dithering
    // keeps still areas still from frame to frame, which compresses far
    // better; the smallest setting also halves the colours.
    static const char* const kPalette[] = {
        "palettegen=max_colors=256:reserve_transparent=0:stats_mode=full",
        "palettegen=max_colors=256:reserve_transparent=0:stats_mode=full",
        "palettegen=max_colors=128:reserve_transparent=0:stats_mode=full"};
    static const char* const kMapping[] = {
        "[in][pal]paletteuse=dither=sierra2_4a:diff_mode=rectangle[out]",
        "[in][pal]paletteuse=dither=bayer:bayer_scale=3:diff_mode=rectangle[out]",
        "[in][pal]paletteuse=dither=bayer:bayer_scale=2:diff_mode=rectangle[out]"};
    auto filterFailure = [&] {
        e.result.Outcome = VideoOutcome::EncoderFailed;
        e.result.Reason = "the palette filters failed";
        return false;
    };

    FramePtr palette;
    {
        Filters statistics;
        if (!statistics.Build(kPalette[level], e.encoded, e.options.Rate)) return filterFailure();
        const int count = static_cast<int>(e.frames.size());
        for (int k = 0; k < count; ++k) {
            const QImage picture = e.Picture(k, k + 1 < count ? k + 1 : -1);
            if (picture.isNull()) return false;
            FramePtr frame(FrameOf(picture, k));
            if (!frame || !statistics.Add(frame.get(), false, true)) return filterFailure();
            if (!e.Step()) return false;
        }
        bool failed = false;
        if (!statistics.Add(nullptr)) return filterFailure();
        palette = statistics.Take(failed);
        if (!palette) return filterFailure();
    }

    Filters mapping;
    if (!mapping.Build(kMapping[level], e.encoded, e.options.Rate,
                       QSize(palette->width, palette->height)))
        return filterFailure();
    palette->pts = 0;
    if (!mapping.Add(palette.get(), true) || !mapping.Add(nullptr, true)) return filterFailure();
    auto drain = [&] {
        for (;;) {
            bool failed = false;
            FramePtr mapped = mapping.Take(failed);
            if (failed) return filterFailure();
            if (!mapped) return true;
            mapped->pict_type = AV_PICTURE_TYPE_NONE;
            if (!file.Encode(mapped.get())) return false;
        }
    };
    for (size_t i = 0; i < order.size(); ++i) {
        const QImage picture = e.Picture(order[i], i + 1 < order.size() ? order[i + 1] : -1);
        if (picture.isNull()) return false;
        FramePtr frame(FrameOf(picture, static_cast<int64_t>(i)));
        if (!frame || !mapping.Add(frame.get())) return filterFailure();
        if (!drain() || !e.Step()) return false;
    }
    return mapping.Add(nullptr) && drain();
}

}  // namespace

VideoResult ExportVideo(const std::vector<std::string>& frames, const std::string& output,
                        const VideoOptions& options, const VideoProgress& progress) {
    QuietLibav();
    VideoResult result;
    auto fail = [&](VideoOutcome outcome, const std::string& reason) {
        result.Outcome = outcome;
        result.Reason = reason;
        return result;
    };
    if (frames.empty()) return fail(VideoOutcome::NoFrames, "there are no frames");
    if (!FrameSizeAllowed(options.Width, options.Height))
        return fail(VideoOutcome::BadSize, "the size " + std::to_string(options.Width) + "x" +
                                               std::to_string(options.Height) + " is not allowed");
    if (IsOneOfFrames(output, frames))
        return fail(VideoOutcome::OutputIsFrame, "the output " + output + " is one of the frames");
    if (!VideoEncoderAvailable(options.Format))
        return fail(VideoOutcome::EncoderMissing, std::string("the encoder ") +
                                                      VideoEncoderName(options.Format) +
                                                      " is not in the installed FFmpeg");

    VideoOptions used = options;
    used.Rate = std::clamp(options.Rate, kVideoRateMin,
                           options.Format == VideoFormat::Gif ? kGifRateMax : kVideoRateMax);
    const QSize encoded = EncodedVideoSize(used.Format, used.Width, used.Height);
    const std::vector<int> order = VideoFrameOrder(static_cast<int>(frames.size()), used.PingPong);
    Export e{frames, used, encoded, progress, result};
    e.total = static_cast<int>(order.size()) +
              (used.Format == VideoFormat::Gif ? static_cast<int>(frames.size()) : 0);

    VideoFile file(result);
    if (!file.Open(output, used.Format)) return result;
    if (!file.Start(used.Format, encoded, used.Rate, used.Quality)) return result;
    const bool written =
        used.Format == VideoFormat::Gif ? WriteGif(e, file, order) : WriteYuv(e, file, order);
    if (!written || !file.Finish()) return result;
    result = VideoResult{};
    return result;
}

std::string VideoFailureMessage(const VideoResult& result) {
    const std::string failed = Tr("VideoExport", "動画ファイルの作成は失敗しました!\n");
    switch (result.Outcome) {
        case VideoOutcome::Written:
        case VideoOutcome::Stopped:
            return {};
        case VideoOutcome::NoFrames:
            return Tr("VideoExport", "フォルダの中にモーフ画像データが見つかりません！");
        case VideoOutcome::BadSize:
            return failed +
                   Tr("VideoExport", "幅と高さは 1 以上で、大きすぎない値にしてください。");
        case VideoOutcome::LoadFailed:
            return Tr("VideoExport", "画像ファイルのロードで失敗しました!\n") + result.Frame;
        case VideoOutcome::OutputIsFrame:
            return failed +
                   Tr("VideoExport", "保存先のファイルがモーフ画像データの 1 枚と同じです。");
        case VideoOutcome::EncoderMissing:
            return failed + Tr("VideoExport", "この形式のエンコーダがインストールされていません。");
        case VideoOutcome::EncoderFailed:
            return failed + Tr("VideoExport", "動画の圧縮処理でエラーが起きました。");
        case VideoOutcome::WriteFailed:
            switch (result.ErrorNumber) {
                case ENOSPC:
                case EDQUOT:
                case EFBIG:
                    return failed + Tr("VideoExport", "ディスクの空き容量が足りません。");
                case EACCES:
                case EPERM:
                case EROFS:
                    return failed + Tr("VideoExport", "保存先に書き込む権限がありません。");
                case ENOENT:
                case ENOTDIR:
                    return failed + Tr("VideoExport", "保存先のフォルダが見つかりません。");
                default:
                    return failed + Tr("VideoExport", "ファイルを書き込めませんでした。");
            }
    }
    return failed;
}

}  // namespace fennix
