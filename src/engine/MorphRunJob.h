#pragma once

#include <QImage>
#include <functional>
#include <mutex>
#include <string>

#include "engine/MorphRun.h"
#include "engine/BackgroundJob.h"
#include "model/MatrixRecord.h"
#include "model/ZoomScale.h"

namespace fennix {

// A morph run on a thread of its own, for a window that keeps working
// meanwhile. The run reads its own copies of the pictures and grids, so the
// document may be looked at (not changed) while it goes on. The window's
// callbacks run on the window's thread: `progress` before each frame,
// `frame` with a frame just written, scaled to `shownAt` (only the newest
// one when the window falls behind, so frames never pile up in memory), and
// `finished` at the end with RunMorph's result (kMorphCancelled after a
// cancel) and the number of frames written.
class MorphRunJob {
  public:
    struct Input {
        MorphCopy morph;
        FrameOutput output;
        int32_t backColor = 0;  // the colour of pixels no triangle covers in frame 0
        ZoomScale shownAt;      // the scale the window shows the frames at
    };
    struct Callbacks {
        std::function<void(int k, int lastFrame)> progress;
        std::function<void(int k, const QImage& frame)> frame;
        std::function<void(const std::string& result, int framesWritten)> finished;
    };

    // `window` is the object whose thread the callbacks run on; the job is
    // a member of it.
    explicit MorphRunJob(QObject* window) : job_(window) {}

    // Starts the run; false while one is still going.
    bool Start(Input input, Callbacks callbacks);
    // Ends the run after the frame being made.
    void Cancel() { job_.Cancel(); }
    bool Running() const { return job_.Running(); }
    bool CancelRequested() const { return job_.CancelRequested(); }
    // Waits for the run to end and delivers everything at once, `finished`
    // included.
    void Finish() { job_.Finish(); }

  private:
    void ShowNewestFrame();

    Callbacks callbacks_;
    std::string result_;  // written by the run, read after it has ended
    int written_ = 0;
    std::mutex frameLock_;
    QImage newestFrame_;  // guarded by frameLock_
    int newestK_ = -1;    // guarded by frameLock_; -1 when already shown
    // Last, so that it goes first: its thread, which uses the members
    // above, has ended before they do.
    BackgroundJob job_;
};

}  // namespace fennix
