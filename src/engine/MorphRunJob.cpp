#include "engine/MorphRunJob.h"

#include "model/MatrixEditing.h"

namespace fennix {

bool MorphRunJob::Start(Input input, Callbacks callbacks) {
    if (job_.Running()) return false;
    callbacks_ = std::move(callbacks);
    result_.clear();
    written_ = 0;
    newestK_ = -1;
    auto work = [this, input = std::move(input)](BackgroundJob& job) {
        PicturePane surface;
        surface.SetBackColor(input.backColor);
        surface.SetSize(input.morph.start.width(), input.morph.start.height());
        FrameOutput output = input.output;
        output.oneFrameFrom = kOneFramePixels;
        MorphProgress progress;
        progress.cancelled = [&job] { return job.CancelRequested(); };
        progress.beforeFrame = [this, &job](int k, int last) {
            job.Post([this, k, last] {
                if (callbacks_.progress) callbacks_.progress(k, last);
            });
        };
        progress.afterFrame = [this, &job, &surface, zoom = input.shownAt](int k) {
            ++written_;
            // The frame as the window shows it, made here: the window's
            // thread is spared the scaling, and the run's own frame is not
            // held by the window, which would keep a third one in memory.
            QImage shown = ImageAtZoom(surface.Layer(), zoom);
            bool showPending;
            {
                const std::lock_guard lock(frameLock_);
                showPending = newestK_ >= 0;
                newestFrame_ = std::move(shown);
                newestK_ = k;
            }
            if (!showPending) job.Post([this] { ShowNewestFrame(); });
        };
        result_ = RunMorph(input.morph.Source(), surface, output, progress);
    };
    return job_.Start(std::move(work), [this] {
        if (callbacks_.finished) callbacks_.finished(result_, written_);
    });
}

void MorphRunJob::ShowNewestFrame() {
    QImage frame;
    int k;
    {
        const std::lock_guard lock(frameLock_);
        frame = std::move(newestFrame_);
        newestFrame_ = QImage();
        k = newestK_;
        newestK_ = -1;
    }
    if (k >= 0 && callbacks_.frame) callbacks_.frame(k, frame);
}

}  // namespace fennix
