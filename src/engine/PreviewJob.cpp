#include "engine/PreviewJob.h"

#include <cmath>

namespace fennix {

double PreviewScale(int width, int height, bool quick) {
    constexpr double kQuickPixels = 300000;
    const double pixels = double(width) * height;
    return quick && pixels > kQuickPixels ? std::sqrt(kQuickPixels / pixels) : 1;
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
            // A newer request goes first; this frame is shown meanwhile.
            const Request answered = current_;
            const QImage frame = made_;
            if (waiting_) {
                Request next = std::move(*waiting_);
                waiting_.reset();
                Start(std::move(next));
            }
            if (ready_) ready_(frame, answered);
        });
}

}  // namespace fennix
