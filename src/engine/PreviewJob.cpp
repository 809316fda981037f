#include "engine/PreviewJob.h"

#include <cmath>

namespace fennix {

double PreviewScale(int width, int height, bool quick, int paneWidth) {
    constexpr double kQuickPixels = 300000;
    // Exact frames of up to about this many pixels take a fraction of a
    // second; larger ones are shown at the pane's size first.
    constexpr double kExactAtOncePixels = 4000000;
    const double pixels = double(width) * height;
    if (quick) return pixels > kQuickPixels ? std::sqrt(kQuickPixels / pixels) : 1;
    if (pixels > kExactAtOncePixels && paneWidth > 0 && paneWidth < width) return double(paneWidth) / width;
    return 1;
}

void PreviewJob::Ask(Request request) {
    if (job_.Running()) {
        waiting_ = std::move(request);
        // An exact frame being made is of a state already gone.
        job_.Cancel();
        return;
    }
    Start(std::move(request));
}

void PreviewJob::Forget() {
    if (job_.Running()) {
        forget_ = true;
        job_.Cancel();
    }
    waiting_.reset();
    if (!job_.Running()) renderer_ = PreviewRenderer();
}

void PreviewJob::Start(Request request) {
    current_ = std::move(request);
    madeExact_ = false;
    job_.Start(
        [this](BackgroundJob& job) {
            const MorphSource source = current_.morph.Source();
            made_ = renderer_.Render(source, current_.k, current_.backColor, current_.scale);
            if (!current_.refine || !(current_.scale < 1) || job.CancelRequested()) return;
            // The reduced frame shows while the exact one is made.
            job.Post([this, frame = std::move(made_)] {
                if (ready_) ready_(frame, current_);
            });
            made_ = QImage();
            madeExact_ = true;
            made_ = renderer_.Render(source, current_.k, current_.backColor, 1,
                                     [&job] { return job.CancelRequested(); });
        },
        [this] {
            Request answered = current_;
            const QImage frame = std::move(made_);
            made_ = QImage();
            const bool exact = madeExact_;
            // An exact frame a newer request stopped, or finished after it
            // came, shows a state already gone.
            const bool stale = exact && job_.CancelRequested();
            if (exact) {
                answered.scale = 1;
                answered.refine = false;
            }
            if (forget_) {
                forget_ = false;
                renderer_ = PreviewRenderer();
            }
            if (waiting_) {
                Request next = std::move(*waiting_);
                waiting_.reset();
                Start(std::move(next));
            }
            if (!stale && ready_) ready_(frame, answered);
        });
}

}  // namespace fennix
