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
        return;
    }
    Start(std::move(request));
}

void PreviewJob::Start(Request request) {
    current_ = std::move(request);
    job_.Start(
        [this](BackgroundJob&) {
            made_ = RenderMorphFrameReduced(current_.morph.Source(), current_.k, current_.backColor,
                                            current_.scale);
        },
        [this] {
            // A newer request goes first, then the exact frame that follows
            // a reduced one; this frame is shown meanwhile.
            const Request answered = current_;
            const QImage frame = std::move(made_);
            made_ = QImage();
            if (waiting_) {
                Request next = std::move(*waiting_);
                waiting_.reset();
                Start(std::move(next));
            } else if (answered.refine && answered.scale < 1) {
                Request exact = answered;
                exact.scale = 1;
                exact.refine = false;
                Start(std::move(exact));
            }
            if (ready_) ready_(frame, answered);
        });
}

}  // namespace fennix
