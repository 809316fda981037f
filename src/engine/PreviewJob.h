#pragma once

#include <QImage>
#include <functional>
#include <optional>

#include "engine/FramePreview.h"
#include "engine/BackgroundJob.h"
#include "model/MatrixRecord.h"

namespace fennix {

// The scale a preview frame of a width × height picture is made at first:
// 1, but while a point is dragged (`quick`) a picture of more than about a
// third of a million pixels is followed at that many, which keeps up with
// the mouse; and otherwise a picture of more than a few million pixels
// shown narrower than it is (`paneWidth`) is made at the pane's size first,
// which shows at once, and exactly after (Request::refine).
double PreviewScale(int width, int height, bool quick, int paneWidth = 0);

// Makes preview frames on a thread of their own for a window. Requests
// come faster than frames while a point is dragged: the newest one waiting
// replaces any other, so the window always gets to the latest state and
// never waits. `ready` runs on the window's thread with each frame made and
// the request it answers. A refined request makes its exact frame right
// after the reduced one on the same thread; a newer request stops it (the
// exact frame is then never delivered). What the frames of one document
// share is kept from one request to the next.
class PreviewJob {
  public:
    struct Request {
        MorphCopy morph;
        int k = 0;
        int32_t backColor = 0;
        double scale = 1;  // below 1: a quick frame of reduced size
        // With a reduced scale: the exact frame follows it, unless a newer
        // request comes first.
        bool refine = false;
    };
    using Ready = std::function<void(const QImage& frame, const Request& request)>;

    PreviewJob(QObject* window, Ready ready) : ready_(std::move(ready)), job_(window) {}

    // Makes the frame for `request` as soon as the one being made is done.
    void Ask(Request request);
    // True while a frame is being made or waits to be.
    bool Busy() const { return job_.Running() || waiting_.has_value(); }
    // Waits for the frame being made and delivers it at once.
    void Finish() { job_.Finish(); }
    // Lets go of what was kept for the next frames (the preview is hidden),
    // once the frame being made is done.
    void Forget();

  private:
    void Start(Request request);

    Ready ready_;
    Request current_;
    // Written by the thread, read after it has ended.
    QImage made_;
    bool madeExact_ = false;  // made_ is the exact frame after a reduced one
    // Used by the thread alone while a job runs, otherwise by the window.
    PreviewRenderer renderer_;
    std::optional<Request> waiting_;
    bool forget_ = false;
    // Last, so that it goes first: its thread, which uses the members
    // above, has ended before they do.
    BackgroundJob job_;
};

}  // namespace fennix
