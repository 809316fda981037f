#pragma once

#include <QPointer>
#include <QRect>
#include <QSize>
#include <memory>
#include <string>

class QWidget;

namespace fennix {

class VideoDecoder;

// Plays the video stream of a file (AVI or anything else libavformat reads)
// into a widget; the frames come from a VideoDecoder.
// Used as a media device: open, ask the natural size, place the picture in
// a window, play to the end, close.
class VideoPlayer {
  public:
    VideoPlayer();
    ~VideoPlayer();
    VideoPlayer(const VideoPlayer&) = delete;
    VideoPlayer& operator=(const VideoPlayer&) = delete;

    // Opens the file. False when it holds no decodable video, and also when
    // a file is already open (that one stays open and in use).
    bool Open(const std::string& path);
    bool IsOpen() const;

    // The video's size in pixels; an empty size when nothing is open.
    QSize NaturalSize() const;

    // Shows the picture in a child window of `parent` at `rect`; the frame
    // is stretched to the rectangle. Ignored when nothing is open.
    void Place(QWidget* parent, const QRect& rect);

    // Plays from the first frame to the end at the file's frame times, in a
    // nested event loop, so windows still paint and take keys meanwhile.
    // Returns false at once when nothing is open; true after the last frame
    // or after Stop.
    bool Play();

    // Ends a running Play after the frame on show.
    void Stop();

    // Closes the file and removes the picture window; harmless when nothing
    // is open.
    void Close();

    // Frames shown since this player was made, over every play.
    int FramesShown() const { return framesShown_; }

  private:
    std::unique_ptr<VideoDecoder> decoder_;
    QPointer<QWidget> surface_;
    bool stop_ = false;
    bool playing_ = false;
    int framesShown_ = 0;
};

}  // namespace fennix
