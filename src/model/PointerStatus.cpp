#include "model/PointerStatus.h"

#include <algorithm>

#include "core/Translation.h"

namespace fennix {

std::string PointerStatusText(int k, double paneX, double paneY, ZoomScale zoom, int imageWidth,
                              int imageHeight) {
    const std::string percent =
        Format(Tr("PointerStatus", "%1%"), {std::to_string(zoom.Percent())});
    if (k != 1 && k != 2) return percent;
    const int x = std::clamp(zoom.ImagePos(paneX), 0, std::max(imageWidth, 0));
    const int y = std::clamp(zoom.ImagePos(paneY), 0, std::max(imageHeight, 0));
    const char* picture = k == 1 ? Tr("PointerStatus", "開始画像 (%1, %2)")
                                 : Tr("PointerStatus", "終了画像 (%1, %2)");
    return Format(picture, {std::to_string(x), std::to_string(y)}) + "   " + percent;
}

}  // namespace fennix
