#pragma once

#include <QImage>
#include <QSize>
#include <future>
#include <optional>
#include <string>

namespace fennix {

// The next frame of a playback read ahead on a thread of its own: decoded,
// and scaled smoothly to the size it will be shown at, while the frame
// before it is on the screen. Large frames then keep the player's interval
// instead of adding their decoding and scaling to it.
class FramePrefetch {
  public:
    struct Frame {
        QImage picture;  // as the pane holds it (RGB32); null when unreadable
        QImage shown;    // scaled to FitSize within the box; null when not scaled
    };

    FramePrefetch() = default;
    ~FramePrefetch();
    FramePrefetch(const FramePrefetch&) = delete;
    FramePrefetch& operator=(const FramePrefetch&) = delete;

    // Starts reading `path` for a pane fitted into `box` (empty: shown
    // pixel for pixel). A frame asked for before and not taken is dropped.
    void Ask(const std::string& path, QSize box);

    // The frame read for `path`, waited for while it is still being read;
    // nothing when `path` was not the last one asked for.
    std::optional<Frame> Take(const std::string& path);

    // Drops what was asked for (waiting for a read that is under way).
    void Clear();

  private:
    std::string path_;
    std::future<Frame> frame_;
};

}  // namespace fennix
