#include "media/AviWriter.h"

#include <algorithm>
#include <cstdio>
#include <future>
#include <string_view>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

#include "core/RegularFile.h"
#include "core/SafeWrite.h"
#include "core/Translation.h"
#include "media/AviFrames.h"
#include "media/FramePixels.h"
#include "media/ImageFile.h"
#include "media/LibavText.h"
#include "media/cDIB.h"

namespace fennix {

namespace {

struct CompressorKind {
    const char* name;
    const char* caption;
    const char* encoder;
    AVPixelFormat pixels;  // what the encoder is fed
    bool usesQuality;
};

// Every compressor the writer knows, in the order the chooser lists them.
const CompressorKind kKinds[] = {
    {"none", TrMark("AviWriter", "非圧縮 (全フレーム)"), "", AV_PIX_FMT_NONE, false},
    {"msvideo1", "Microsoft Video 1", "msvideo1", AV_PIX_FMT_RGB555LE, true},
    {"cinepak", "Cinepak", "cinepak", AV_PIX_FMT_RGB24, false},
    {"mjpeg", "Motion JPEG", "mjpeg", AV_PIX_FMT_YUVJ420P, true},
    {"mpeg4", "MPEG-4 part 2", "mpeg4", AV_PIX_FMT_YUV420P, true},
    {"h264", "H.264", "libx264", AV_PIX_FMT_YUV420P, true},
    {"huffyuv", "Huffyuv", "huffyuv", AV_PIX_FMT_RGB24, false},
    {"utvideo", "Ut Video", "utvideo", AV_PIX_FMT_GBRP, false},
    {"ffv1", "FFV1", "ffv1", AV_PIX_FMT_BGR0, false},
};

const CompressorKind* FindKind(const std::string& name) {
    for (const auto& kind : kKinds)
        if (name == kind.name) return &kind;
    return nullptr;
}

int32_t Read32(const uint8_t* p) {
    return static_cast<int32_t>(static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
                                (static_cast<uint32_t>(p[2]) << 16) |
                                (static_cast<uint32_t>(p[3]) << 24));
}

// The encoder's pixel format: the preferred one when it is offered,
// otherwise the one that loses least from 24-bit colour.
AVPixelFormat EncoderPixels(const AVCodec* codec, AVPixelFormat preferred) {
    if (!codec->pix_fmts) return preferred;
    for (const AVPixelFormat* f = codec->pix_fmts; *f != AV_PIX_FMT_NONE; ++f)
        if (*f == preferred) return preferred;
    return avcodec_find_best_pix_fmt_of_list(codec->pix_fmts, AV_PIX_FMT_BGR24, 0, nullptr);
}

}  // namespace

std::vector<Compressor> AvailableCompressors() {
    std::vector<Compressor> list;
    for (const auto& kind : kKinds) {
        if (*kind.encoder && !avcodec_find_encoder_by_name(kind.encoder)) continue;
        list.push_back({kind.name, Tr("AviWriter", kind.caption), kind.encoder, kind.usesQuality});
    }
    return list;
}

std::optional<Compressor> FindCompressor(const std::string& name) {
    for (const auto& compressor : AvailableCompressors())
        if (compressor.Name == name) return compressor;
    return std::nullopt;
}

struct AviFile::State {
    SafeFile out;  // the file is built beside the target and replaces it when finished
    std::string error;  // why the writing failed, when the video library says
    AVFormatContext* format = nullptr;
    AVStream* stream = nullptr;
    AVCodecContext* encoder = nullptr;
    SwsContext* scaler = nullptr;
    AVFrame* frame = nullptr;
    // The bitmap's rows copied top-down into a padded buffer for swscale,
    // whose vector loops read a little past the end of the last row.
    AVFrame* staging = nullptr;
    AVPacket* packet = nullptr;
    int width = 0, height = 0, rate = 1, bitCount = 0, stride = 0;
    AVPixelFormat source = AV_PIX_FMT_NONE;
    // How the bitmap rows become the encoder's pixels: BT.601 4:2:0 (studio
    // or full range) and BGR0 are made here, every other format by swscale.
    enum class Conversion { Scaler, Yuv420, Yuv420Full, Bgr0 } conversion = Conversion::Scaler;
    bool headerWritten = false;
    bool finished = false;

    ~State() {
        sws_freeContext(scaler);
        av_frame_free(&frame);
        av_frame_free(&staging);
        av_packet_free(&packet);
        avcodec_free_context(&encoder);
        if (format) {
            if (format->pb) avio_closep(&format->pb);
            avformat_free_context(format);
        }
    }

    // Sends every packet the encoder has ready to the file.
    bool Drain() {
        for (;;) {
            const int result = avcodec_receive_packet(encoder, packet);
            if (result == AVERROR(EAGAIN) || result == AVERROR_EOF) return true;
            if (result < 0) return false;
            av_packet_rescale_ts(packet, encoder->time_base, stream->time_base);
            packet->stream_index = stream->index;
            if (av_interleaved_write_frame(format, packet) < 0) return false;
        }
    }
};

AviFile::AviFile() : state_(std::make_unique<State>()) {
    QuietLibav();
}

AviFile::~AviFile() {
    if (!state_->finished) Discard();
}

bool AviFile::Open(const std::string& path) {
    if (!state_->out.Begin(path)) return false;
    if (avformat_alloc_output_context2(&state_->format, nullptr, "avi", nullptr) < 0 ||
        !state_->format)
        return false;
    // "file:" keeps a colon in the name from being read as a protocol.
    const std::string url = "file:" + state_->out.ScratchPath();
    if (avio_open(&state_->format->pb, url.c_str(), AVIO_FLAG_WRITE) < 0) {
        state_->format->pb = nullptr;
        return false;
    }
    state_->packet = av_packet_alloc();
    return state_->packet != nullptr;
}

bool AviFile::CreateStream(int width, int height, int rate, const uint8_t* info, int infoSize) {
    State& s = *state_;
    if (!s.format || !s.format->pb || !info || infoSize < 40 || width <= 0 || height <= 0)
        return false;
    // The frames come as the bitmap files lay them out: bottom-up rows of 24
    // or 32 bits, each padded to a multiple of four bytes.
    const int infoWidth = Read32(info + 4), infoHeight = Read32(info + 8);
    const int bitCount = info[14] | (info[15] << 8);
    const int compression = Read32(info + 16);
    if (infoWidth != width || infoHeight != height || compression != 0 ||
        (bitCount != 24 && bitCount != 32))
        return false;
    s.width = width;
    s.height = height;
    s.rate = std::max(rate, 1);
    s.bitCount = bitCount;
    s.stride = ((width * bitCount + 31) / 32) * 4;
    s.source = bitCount == 24 ? AV_PIX_FMT_BGR24 : AV_PIX_FMT_BGR0;
    s.stream = avformat_new_stream(s.format, nullptr);
    if (!s.stream) return false;
    s.stream->time_base = AVRational{1, s.rate};
    s.stream->avg_frame_rate = AVRational{s.rate, 1};
    s.stream->r_frame_rate = AVRational{s.rate, 1};
    return true;
}

bool AviFile::Compress(const CompressorOptions& options) {
    State& s = *state_;
    if (!s.stream) return false;
    const CompressorKind* kind = FindKind(options.Name);
    if (!kind) return false;
    AVCodecParameters* parameters = s.stream->codecpar;

    if (!*kind->encoder) {
        // Uncompressed: the bitmap rows are the samples, fourcc 0 (BI_RGB).
        parameters->codec_type = AVMEDIA_TYPE_VIDEO;
        parameters->codec_id = AV_CODEC_ID_RAWVIDEO;
        parameters->codec_tag = 0;
        parameters->width = s.width;
        parameters->height = s.height;
        parameters->format = s.source;
        parameters->bits_per_coded_sample = s.bitCount;
    } else {
        const AVCodec* codec = avcodec_find_encoder_by_name(kind->encoder);
        if (!codec) return false;
        s.encoder = avcodec_alloc_context3(codec);
        if (!s.encoder) return false;
        AVCodecContext* c = s.encoder;
        c->width = s.width;
        c->height = s.height;
        c->time_base = AVRational{1, s.rate};
        c->framerate = AVRational{s.rate, 1};
        c->pix_fmt = EncoderPixels(codec, kind->pixels);
        // As many threads as the encoder can use on this machine, as the
        // ffmpeg program does.
        c->thread_count = 0;
        c->gop_size = std::max(options.KeyFrameEvery, 1);
        c->max_b_frames = 0;
        if (c->pix_fmt == AV_PIX_FMT_YUVJ420P) c->color_range = AVCOL_RANGE_JPEG;
        const int quality = std::clamp(options.Quality, 1, 100);
        if (options.DataRate > 0) {
            c->bit_rate = static_cast<int64_t>(options.DataRate) * 1000;
        } else if (kind->usesQuality) {
            if (std::string(kind->encoder) == "libx264") {
                av_opt_set_int(c->priv_data, "crf", (100 - quality) * 51 / 99, 0);
            } else {
                const int scale = 2 + (100 - quality) * 29 / 99;  // 2 best … 31 smallest
                c->flags |= AV_CODEC_FLAG_QSCALE;
                c->global_quality = FF_QP2LAMBDA * scale;
                c->qmin = c->qmax = scale;
            }
        }
        if (s.format->oformat->flags & AVFMT_GLOBALHEADER) c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        if (avcodec_open2(c, codec, nullptr) < 0) return false;
        if (avcodec_parameters_from_context(parameters, c) < 0) return false;
        // A tag the encoder set (Ut Video names its plane layout) is kept;
        // otherwise the muxer picks the usual fourcc.
        s.frame = av_frame_alloc();
        if (!s.frame) return false;
        s.frame->format = c->pix_fmt;
        s.frame->width = s.width;
        s.frame->height = s.height;
        if (av_frame_get_buffer(s.frame, 0) < 0) return false;
        if (c->pix_fmt == AV_PIX_FMT_YUV420P) {
            s.conversion = State::Conversion::Yuv420;
        } else if (c->pix_fmt == AV_PIX_FMT_YUVJ420P) {
            s.conversion = State::Conversion::Yuv420Full;
        } else if (c->pix_fmt == AV_PIX_FMT_BGR0) {
            s.conversion = State::Conversion::Bgr0;
        } else {
            s.scaler = sws_getContext(s.width, s.height, s.source, s.width, s.height, c->pix_fmt,
                                      SWS_BICUBIC | SWS_ACCURATE_RND | SWS_FULL_CHR_H_INT, nullptr,
                                      nullptr, nullptr);
            if (!s.scaler) return false;
            s.staging = av_frame_alloc();
            if (!s.staging) return false;
            s.staging->format = s.source;
            s.staging->width = s.width;
            s.staging->height = s.height;
            if (av_frame_get_buffer(s.staging, 0) < 0) return false;
        }
    }
    s.stream->time_base = AVRational{1, s.rate};
    if (avformat_write_header(s.format, nullptr) < 0) return false;
    s.headerWritten = true;
    return true;
}

bool AviFile::Write(int position, const uint8_t* bits, int size) {
    State& s = *state_;
    if (!s.headerWritten || !bits || size < s.stride * s.height) return false;
    if (!s.encoder) {
        // The AVI muxer declares uncompressed RGB frames top-down (negative
        // height), so the bitmap's rows go in from the last to the first.
        if (av_new_packet(s.packet, s.stride * s.height) < 0) return false;
        for (int row = 0; row < s.height; ++row) {
            const uint8_t* from = bits + static_cast<ptrdiff_t>(s.height - 1 - row) * s.stride;
            std::copy(from, from + s.stride,
                      s.packet->data + static_cast<ptrdiff_t>(row) * s.stride);
        }
        s.packet->flags |= AV_PKT_FLAG_KEY;
        s.packet->pts = s.packet->dts = position;
        s.packet->duration = 1;
        av_packet_rescale_ts(s.packet, AVRational{1, s.rate}, s.stream->time_base);
        s.packet->stream_index = s.stream->index;
        return av_interleaved_write_frame(s.format, s.packet) >= 0;
    }
    if (av_frame_make_writable(s.frame) < 0) return false;
    const BitmapRows rows{bits, s.width, s.height, s.bitCount / 8, s.stride};
    uint8_t* const* planes = s.frame->data;
    const int* lineSizes = s.frame->linesize;
    switch (s.conversion) {
        case State::Conversion::Yuv420:
        case State::Conversion::Yuv420Full:
            BitmapToYuv420(rows, s.conversion == State::Conversion::Yuv420Full, {planes[0], lineSizes[0]},
                           {planes[1], lineSizes[1]}, {planes[2], lineSizes[2]});
            break;
        case State::Conversion::Bgr0:
            BitmapToBgr0(rows, {planes[0], lineSizes[0]});
            break;
        case State::Conversion::Scaler: {
            // Bottom-up rows: start at the last row and step backwards.
            av_image_copy_plane(s.staging->data[0], s.staging->linesize[0],
                                bits + static_cast<ptrdiff_t>(s.height - 1) * s.stride, -s.stride,
                                s.width * (s.bitCount / 8), s.height);
            sws_scale(s.scaler, s.staging->data, s.staging->linesize, 0, s.height, planes,
                      lineSizes);
            break;
        }
    }
    s.frame->pts = position;
    if (s.encoder->gop_size <= 1) s.frame->pict_type = AV_PICTURE_TYPE_I;
    if (avcodec_send_frame(s.encoder, s.frame) < 0) return false;
    return s.Drain();
}

bool AviFile::Finish() {
    State& s = *state_;
    if (!s.headerWritten) return false;
    if (s.encoder && (avcodec_send_frame(s.encoder, nullptr) < 0 || !s.Drain())) return false;
    if (av_write_trailer(s.format) < 0) return false;
    // A write that failed on the way (a full disk) is recorded in the
    // context; the close reports a failed flush.
    avio_flush(s.format->pb);
    int result = s.format->pb->error;
    if (result >= 0) result = avio_closep(&s.format->pb);
    if (result < 0) {
        s.error = "cannot write " + s.out.Target() + ": " + LibavErrorText(result);
        return false;
    }
    if (!s.out.Commit(false)) return false;
    s.finished = true;
    return true;
}

std::string AviFile::Error() const {
    const State& s = *state_;
    if (s.error.empty() && s.format && s.format->pb && s.format->pb->error < 0)
        return "cannot write " + s.out.Target() + ": " + LibavErrorText(s.format->pb->error);
    return s.error.empty() ? s.out.Error() : s.error;
}

void AviFile::Discard() {
    State& s = *state_;
    if (s.format && s.format->pb) avio_closep(&s.format->pb);
    s.out.Discard();
    s.finished = true;  // nothing more to clean up
}

namespace {

// A 24-bit bitmap file of the output size (the frames a morph run writes)
// already holds the rows of the frame: they go into `dib` as they stand,
// with the padding at the end of each row set to 0 as the encoder below
// would write it. False, with `dib` unchanged, for any other file.
bool ReadPlainBitmap(const std::string& path, int width, int height, cDIB& dib) {
    constexpr size_t kInfoBytes = 40, kFileHeaderBytes = 14;
    const size_t rowBytes = (static_cast<size_t>(width) * 24 + 31) / 32 * 4;
    const size_t imageBytes = rowBytes * static_cast<size_t>(height);
    // A longer file (a colour table, bytes after the rows) takes the decoder.
    std::optional<std::string> file = ReadRegularFile(path, kBitmapHeaderBytes + imageBytes);
    if (!file || file->size() != kBitmapHeaderBytes + imageBytes) return false;
    auto* bytes = reinterpret_cast<uint8_t*>(file->data());
    auto read16 = [&](size_t at) { return bytes[at] | (bytes[at + 1] << 8); };
    if (bytes[0] != 'B' || bytes[1] != 'M' || Read32(bytes + 10) != kBitmapHeaderBytes ||
        Read32(bytes + 14) != kInfoBytes || Read32(bytes + 18) != width ||
        Read32(bytes + 22) != height || read16(26) != 1 || read16(28) != 24 ||
        Read32(bytes + 30) != 0 || Read32(bytes + 46) != 0)
        return false;
    uint8_t* info = bytes + kFileHeaderBytes;
    // The fields the encoder would write: the image size, no colour table.
    for (int i = 0; i < 4; ++i) info[20 + i] = static_cast<uint8_t>(imageBytes >> (8 * i));
    std::fill(info + 32, info + 40, uint8_t{0});
    uint8_t* rows = bytes + kBitmapHeaderBytes;
    for (int y = 0; y < height; ++y)
        std::fill(rows + y * rowBytes + static_cast<size_t>(width) * 3, rows + (y + 1) * rowBytes, uint8_t{0});
    return dib.CreateFromPackedDIBPointer(info);
}

// Decodes one image file, stretches it to the output size and loads the
// bitmap of it into `dib`, in memory: the very bytes a bitmap file of the
// frame would hold, without the file.
bool PrepareFrame(const std::string& path, int width, int height, cDIB& dib) {
    if (FrameSizeAllowed(width, height) && ReadPlainBitmap(path, width, height, dib)) return true;
    const auto image = LoadImageFile(path);
    if (!image) return false;
    const QImage stretched = StretchFrame(*image, width, height);
    if (stretched.isNull()) return false;
    const QByteArray bitmap = EncodeBitmap(stretched);
    constexpr int kFileHeaderBytes = 14;
    return bitmap.size() > kBitmapHeaderBytes &&
           dib.CreateFromPackedDIBPointer(bitmap.constData() + kFileHeaderBytes);
}

}  // namespace

AviOutcome CreateAviFile(const std::vector<std::string>& frames, const std::string& output,
                         int width, int height, int rate,
                         const CompressorChooser& chooseCompressor, std::string* reason,
                         const AviProgress& progress) {
    std::string ignored;
    std::string& why = reason ? *reason : ignored;
    if (frames.empty()) return AviOutcome::LoadFailed;
    if (IsOneOfFrames(output, frames)) return AviOutcome::OutputIsFrame;
    AviFile file;
    if (!file.Open(output)) {
        why = file.Error();
        return AviOutcome::Failed;
    }

    cDIB dib;
    if (!PrepareFrame(frames[0], width, height, dib)) {
        why = "cannot read the frame " + frames[0];
        return AviOutcome::LoadFailed;
    }
    if (!file.CreateStream(dib.Width(), dib.Height(), ClampFrameRate(rate),
                           dib.PointerToBitmapInfo(), dib.SizeBitmapInfo()))
        return AviOutcome::Failed;

    const std::optional<CompressorOptions> options =
        chooseCompressor ? chooseCompressor() : CompressorOptions{};
    if (!options) return AviOutcome::Cancelled;
    if (!file.Compress(*options)) return AviOutcome::Failed;

    // Frame i + 1 is read on a thread of its own while frame i is encoded,
    // each into a bitmap of its own.
    cDIB spare;
    cDIB* current = &dib;
    cDIB* next = &spare;
    for (size_t i = 0; i < frames.size(); ++i) {
        std::future<bool> reading;
        if (i + 1 < frames.size())
            reading = std::async(std::launch::async, PrepareFrame, std::cref(frames[i + 1]), width, height,
                                 std::ref(*next));
        if (current->Width() != width || current->Height() != height) return AviOutcome::Failed;
        if (!file.Write(static_cast<int>(i), current->PointerToBits(), current->SizeImage())) {
            why = file.Error();
            return AviOutcome::Failed;
        }
        // The unfinished file goes with `file`.
        if (progress && !progress(static_cast<int>(i) + 1, static_cast<int>(frames.size())))
            return AviOutcome::Stopped;
        if (reading.valid() && !reading.get()) {
            why = "cannot read the frame " + frames[i + 1];
            return AviOutcome::LoadFailed;
        }
        std::swap(current, next);
    }
    if (file.Finish()) return AviOutcome::Written;
    why = file.Error();
    return AviOutcome::Failed;
}

}  // namespace fennix
