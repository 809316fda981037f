#include "media/VideoDecoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

#include "media/LibavText.h"

namespace fennix {

struct VideoDecoder::State {
    AVFormatContext* format = nullptr;
    AVCodecContext* codec = nullptr;
    SwsContext* scaler = nullptr;
    AVFrame* frame = nullptr;
    AVPacket* packet = nullptr;
    int stream = -1;
    bool drained = false;
    double frameSeconds = 0.04;  // the length of one frame when no time is given

    ~State() {
        sws_freeContext(scaler);
        av_frame_free(&frame);
        av_packet_free(&packet);
        avcodec_free_context(&codec);
        avformat_close_input(&format);
    }

    bool Open(const std::string& path) {
        if (avformat_open_input(&format, path.c_str(), nullptr, nullptr) < 0) return false;
        if (avformat_find_stream_info(format, nullptr) < 0) return false;
        stream = av_find_best_stream(format, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
        if (stream < 0) return false;
        const AVCodecParameters* parameters = format->streams[stream]->codecpar;
        const AVCodec* decoder = avcodec_find_decoder(parameters->codec_id);
        if (!decoder || parameters->width <= 0 || parameters->height <= 0) return false;
        codec = avcodec_alloc_context3(decoder);
        if (!codec || avcodec_parameters_to_context(codec, parameters) < 0 ||
            avcodec_open2(codec, decoder, nullptr) < 0)
            return false;
        const AVRational rate = format->streams[stream]->avg_frame_rate;
        if (rate.num > 0 && rate.den > 0) frameSeconds = av_q2d(av_inv_q(rate));
        frame = av_frame_alloc();
        packet = av_packet_alloc();
        return frame && packet;
    }

    void Rewind() {
        av_seek_frame(format, stream, 0, AVSEEK_FLAG_BACKWARD);
        avcodec_flush_buffers(codec);
        drained = false;
    }

    // The next decoded frame as an image and its time in seconds; false at
    // the end of the stream or on a read error.
    bool Next(QImage& image, double& seconds) {
        for (;;) {
            const int got = avcodec_receive_frame(codec, frame);
            if (got == 0) break;
            if (got == AVERROR_EOF || (got != AVERROR(EAGAIN))) return false;
            if (drained) return false;
            if (av_read_frame(format, packet) < 0) {
                drained = true;
                avcodec_send_packet(codec, nullptr);
                continue;
            }
            if (packet->stream_index == stream) avcodec_send_packet(codec, packet);
            av_packet_unref(packet);
        }
        image = QImage(frame->width, frame->height, QImage::Format_RGB32);
        scaler = sws_getCachedContext(
            scaler, frame->width, frame->height, static_cast<AVPixelFormat>(frame->format),
            frame->width, frame->height, AV_PIX_FMT_BGRA, SWS_BILINEAR, nullptr, nullptr, nullptr);
        if (!scaler) return false;
        uint8_t* target[1] = {image.bits()};
        const int targetStride[1] = {static_cast<int>(image.bytesPerLine())};
        sws_scale(scaler, frame->data, frame->linesize, 0, frame->height, target, targetStride);
        const int64_t when = frame->best_effort_timestamp;
        seconds = when == AV_NOPTS_VALUE ? -1.0 : when * av_q2d(format->streams[stream]->time_base);
        av_frame_unref(frame);
        return true;
    }
};

VideoDecoder::VideoDecoder() = default;

VideoDecoder::~VideoDecoder() = default;

bool VideoDecoder::Open(const std::string& path) {
    if (state_) return false;
    QuietLibav();
    auto state = std::make_unique<State>();
    if (!state->Open(path)) return false;
    state_ = std::move(state);
    return true;
}

QSize VideoDecoder::Size() const {
    if (!state_) return {};
    return {state_->codec->width, state_->codec->height};
}

double VideoDecoder::FrameSeconds() const {
    return state_ ? state_->frameSeconds : 0.04;
}

void VideoDecoder::Rewind() {
    if (state_) state_->Rewind();
}

bool VideoDecoder::Next(QImage& image, double& seconds) {
    return state_ && state_->Next(image, seconds);
}

}  // namespace fennix
