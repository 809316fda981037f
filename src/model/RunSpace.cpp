#include "model/RunSpace.h"

#include "core/Paths.h"
#include "core/Translation.h"

namespace fennix {

uint64_t FrameFileBytes(int width, int height, int saveKind) {
    if (width <= 0 || height <= 0) return 0;
    // 54 bytes of headers, rows of 3 bytes a pixel padded to 4 bytes.
    const uint64_t bitmap = 54 + (uint64_t(width) * 3 + 3) / 4 * 4 * uint64_t(height);
    return saveKind == 0 ? bitmap : bitmap / 10;
}

std::optional<RunSpace> RunSpaceShortage(const std::string& folder, uint64_t needed) {
    const auto free = FreeBytes(folder);
    if (!free || needed <= *free) return std::nullopt;
    return RunSpace{needed, *free};
}

std::string SizeText(uint64_t bytes) {
    constexpr uint64_t kGigabyte = uint64_t{1} << 30;
    if (bytes < kGigabyte) return std::to_string(bytes >> 20) + " MB";
    const uint64_t tenths = bytes / kGigabyte * 10 + bytes % kGigabyte * 10 / kGigabyte;
    return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) + " GB";
}

std::string RunSpaceQuestion(const RunSpace& space) {
    return Format(Tr("RunSpace", "フレームの書き出しには約 %1 必要ですが、空き領域は %2 しかありません。\r\n"
                                 "途中でディスクがいっぱいになります。続けますか？"),
                  {SizeText(space.needed), SizeText(space.free)});
}

}  // namespace fennix
