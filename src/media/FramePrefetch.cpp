#include "media/FramePrefetch.h"

#include <system_error>

#include "media/ImageFile.h"
#include "media/PicturePane.h"

namespace fennix {

FramePrefetch::~FramePrefetch() {
    Clear();
}

void FramePrefetch::Ask(const std::string& path, QSize box) {
    Clear();
    path_ = path;
    try {
        frame_ = std::async(std::launch::async, [path, box] {
        Frame frame;
        const auto image = LoadImageFile(path);
        if (!image) return frame;
        frame.picture = image->convertToFormat(QImage::Format_RGB32);
        const QSize size = frame.picture.size();
        if (!box.isEmpty() && (size.width() > box.width() || size.height() > box.height())) {
            // Sampled down to twice the size first, then smoothed: close to a
            // smooth scaling of the whole, at a fraction of its time.
            const QSize shown = FitSize(size.width(), size.height(), box.width(), box.height());
            QImage half = frame.picture;
            if (size.width() > 4 * shown.width() && size.height() > 4 * shown.height())
                half = frame.picture.scaled(shown * 2, Qt::IgnoreAspectRatio,
                                            Qt::FastTransformation);
            frame.shown = half.scaled(shown, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        }
        return frame;
        });
    } catch (const std::system_error&) {
        path_.clear();  // no thread to be had: the frame is read when it is shown
    }
}

std::optional<FramePrefetch::Frame> FramePrefetch::Take(const std::string& path) {
    if (!frame_.valid() || path != path_) return std::nullopt;
    path_.clear();
    return frame_.get();
}

void FramePrefetch::Clear() {
    if (frame_.valid()) frame_.wait();
    frame_ = {};
    path_.clear();
}

}  // namespace fennix
