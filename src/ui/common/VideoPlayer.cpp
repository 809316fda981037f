#include "ui/common/VideoPlayer.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QImage>
#include <QPainter>
#include <QTimer>
#include <QWidget>
#include <algorithm>

#include "media/VideoDecoder.h"

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

VideoPlayer::VideoPlayer() = default;

VideoPlayer::~VideoPlayer() {
    Close();
}

bool VideoPlayer::Open(const std::string& path) {
    if (decoder_) return false;
    auto decoder = std::make_unique<VideoDecoder>();
    if (!decoder->Open(path)) return false;
    decoder_ = std::move(decoder);
    return true;
}

bool VideoPlayer::IsOpen() const {
    return decoder_ != nullptr;
}

QSize VideoPlayer::NaturalSize() const {
    if (!decoder_) return {};
    return decoder_->Size();
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
            tick.start(static_cast<int>(decoder_->FrameSeconds() * 1000));
            return;
        }
        if (seconds < 0 || seconds <= shownAt) seconds = shownAt + decoder_->FrameSeconds();
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
