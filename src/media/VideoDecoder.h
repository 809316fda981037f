#pragma once

#include <QImage>
#include <QSize>
#include <memory>
#include <string>

namespace fennix {

// Decodes the video stream of a file (AVI or anything else libavformat
// reads) frame by frame with libavcodec, converting each frame to a 32-bit
// image with libswscale.
class VideoDecoder {
  public:
    VideoDecoder();
    ~VideoDecoder();
    VideoDecoder(const VideoDecoder&) = delete;
    VideoDecoder& operator=(const VideoDecoder&) = delete;

    // Opens the file; false when it holds no decodable video.
    bool Open(const std::string& path);

    // The video's size in pixels; an empty size before a successful Open.
    QSize Size() const;

    // The length of one frame in seconds: the stream's mean frame rate, or
    // 1/25 s when it gives none.
    double FrameSeconds() const;

    // Goes back to the first frame.
    void Rewind();

    // The next decoded frame and its time in seconds (−1 when the file
    // gives none); false at the end of the stream or on a read error.
    bool Next(QImage& image, double& seconds);

  private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace fennix
