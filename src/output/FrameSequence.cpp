#include "output/FrameSequence.h"

#include <limits>

#include "core/Paths.h"
#include "engine/MorphRun.h"

namespace fennix {

int FrameKindFromSaveKind(int saveKind) {
    return saveKind == 0 ? kBitmapFrames : kJpegFrames;
}

std::string WithTrailingSeparator(std::string folder) {
    if (!folder.empty() && folder.back() != '/' && folder.back() != '\\') folder += '/';
    return folder;
}

std::string FramePath(const std::string& folder, int index, int kind) {
    if (folder.empty() || index < 0) return {};
    return WithTrailingSeparator(folder) + FrameFileName(index, FrameKindFromSaveKind(kind));
}

int FolderFrameKind(const std::string& folder) {
    if (FileExists(FramePath(folder, 0, kBitmapFrames))) return kBitmapFrames;
    if (FileExists(FramePath(folder, 0, kJpegFrames))) return kJpegFrames;
    return -1;
}

int LastFrameIndex(const std::string& folder, int kind) {
    int last = -1;
    while (last < std::numeric_limits<int>::max() && FileExists(FramePath(folder, last + 1, kind)))
        ++last;
    return last;
}

}  // namespace fennix
