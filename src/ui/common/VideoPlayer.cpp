#include "ui/common/VideoPlayer.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QImage>
#include <QPainter>
#include <QTimer>
#include <QWidget>
#include <algorithm>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

#include "media/LibavText.h"

namespace fennix {

namespace {

// The child window the frames are painted into.
class VideoSurface : public QWidget {
  public:
    explicit VideoSurface(QWidget* parent) : QWidget(parent) {
        setAttribute(Qt::WA_OpaquePaintEvent);
    }
    QImage Frame;

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        if (Frame.isNull())
            painter.fillRect(rect(), Qt::black);
        else
            painter.drawImage(rect(), Frame);
    }
};

}  // namespace

struct VideoPlayer::Decoder {
    AVFormatContext* format = nullptr;
    AVCodecContext* codec = nullptr;
    SwsContext* scaler = nullptr;
    AVFrame* frame = nullptr;
    AVPacket* packet = nullptr;
    int stream = -1;
    bool drained = false;
    double frameSeconds = 0.04;  // the length of one frame when no time is given

    ~Decoder() {
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

VideoPlayer::VideoPlayer() = default;

VideoPlayer::~VideoPlayer() {
    Close();
}

bool VideoPlayer::Open(const std::string& path) {
    if (decoder_) return false;
    QuietLibav();
    auto decoder = std::make_unique<Decoder>();
    if (!decoder->Open(path)) return false;
    decoder_ = std::move(decoder);
    return true;
}

bool VideoPlayer::IsOpen() const {
    return decoder_ != nullptr;
}

QSize VideoPlayer::NaturalSize() const {
    if (!decoder_) return {};
    return {decoder_->codec->width, decoder_->codec->height};
}

void VideoPlayer::Place(QWidget* parent, const QRect& rect) {
    if (!decoder_ || !parent) return;
    if (!surface_ || surface_->parentWidget() != parent) {
        delete surface_.data();
        surface_ = new VideoSurface(parent);
    }
    surface_->setGeometry(rect);
    surface_->show();
}

bool VideoPlayer::Play() {
    if (!decoder_ || playing_) return false;
    playing_ = true;
    stop_ = false;
    decoder_->Rewind();

    QEventLoop loop;
    QTimer tick;
    tick.setSingleShot(true);
    QElapsedTimer clock;
    clock.start();
    double start = -1.0;  // the time of the first frame
    QImage image;
    double seconds = 0;

    // Shows the frame decoded last, then decodes the next one and waits
    // until it is due; after the last frame it waits out that frame's time.
    auto step = [&] {
        if (stop_) return loop.quit();
        if (auto* surface = static_cast<VideoSurface*>(surface_.data())) {
            surface->Frame = image;
            surface->update();
        }
        ++framesShown_;
        const double shownAt = seconds;
        if (!decoder_->Next(image, seconds)) {
            tick.disconnect();
            QObject::connect(&tick, &QTimer::timeout, &loop, &QEventLoop::quit);
            tick.start(static_cast<int>(decoder_->frameSeconds * 1000));
            return;
        }
        if (seconds < 0 || seconds <= shownAt) seconds = shownAt + decoder_->frameSeconds;
        const double due = (seconds - start) * 1000.0;
        tick.start(std::max(0, static_cast<int>(due - clock.elapsed())));
    };
    QObject::connect(&tick, &QTimer::timeout, &loop, step);

    if (decoder_->Next(image, seconds)) {
        if (seconds < 0) seconds = 0;
        start = seconds;
        tick.start(0);
        loop.exec();
    }
    playing_ = false;
    return true;
}

void VideoPlayer::Stop() {
    stop_ = true;
}

void VideoPlayer::Close() {
    stop_ = true;
    if (playing_) return;  // the running play ends first; its caller closes again
    decoder_.reset();
    delete surface_.data();
}

}  // namespace fennix
