#include "model/ImagePreparation.h"

#include <QString>
#include <algorithm>

#include <cctype>
#include <cmath>
#include <cstring>
#include <limits>
#include "core/Translation.h"

namespace fennix {

QImage ScaleNearest(const QImage& image, int width, int height) {
    if (width < 1 || height < 1 || image.isNull()) return QImage();
    const QImage source = image.convertToFormat(QImage::Format_RGB32);
    QImage result(width, height, QImage::Format_RGB32);
    const int64_t sw = source.width(), sh = source.height();
    for (int y = 0; y < height; ++y) {
        const auto* from = reinterpret_cast<const uint32_t*>(
            source.constScanLine(static_cast<int>(y * sh / height)));
        auto* to = reinterpret_cast<uint32_t*>(result.scanLine(y));
        for (int x = 0; x < width; ++x) to[x] = from[x * sw / width];
    }
    return result;
}

QImage ScaleAveraged(const QImage& image, int width, int height) {
    if (width < 1 || height < 1 || image.isNull()) return QImage();
    return image.scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
        .convertToFormat(QImage::Format_RGB32);
}

QSize ThumbnailSize(int width, int height) {
    if (width <= 0 || height <= 0) return {};
    if (width > height) return {60, static_cast<int>(std::nearbyint(height * 60.0 / width))};
    return {static_cast<int>(std::nearbyint(width * 60.0 / height)), 60};
}

QSize ReducedSize(int percent, int width, int height) {
    return {static_cast<int>(static_cast<int32_t>(percent * width) / 100),
            static_cast<int>(static_cast<int32_t>(percent * height) / 100)};
}

QSize ReducedToWidth(int targetWidth, int width, int height) {
    if (width <= 0) return {targetWidth, height};
    const int64_t h = (2 * int64_t{targetWidth} * height + width) / (2 * int64_t{width});
    return {targetWidth, static_cast<int>(std::max<int64_t>(h, 1))};
}

std::optional<TypedReductionValue> TypedReduction(const std::string& text, int baseWidth) {
    // Full-width digits, "％" and blanks as a Japanese input method types them.
    QString typed = QString::fromStdString(text).normalized(QString::NormalizationForm_KC);
    typed = typed.trimmed();
    bool percent = false, pixels = false;
    if (typed.endsWith('%')) {
        percent = true;
        typed.chop(1);
    } else if (typed.endsWith("px", Qt::CaseInsensitive)) {
        pixels = true;
        typed.chop(2);
    }
    typed = typed.trimmed();
    if (typed.isEmpty() || typed.size() > 9) return std::nullopt;
    for (const QChar c : typed)
        if (c < '0' || c > '9') return std::nullopt;
    const long long value = typed.toLongLong();
    if (!percent && (pixels || value > 100)) {
        if (baseWidth <= 0) return std::nullopt;
        // The largest p with floor(p · baseWidth / 100) ≤ value.
        const long long p = ((value + 1) * 100 - 1) / baseWidth;
        TypedReductionValue result;
        result.percent = static_cast<int>(std::clamp<long long>(p, 10, 100));
        const int least = ReducedSize(10, baseWidth, 1).width();
        const bool between = value < baseWidth && value >= least;
        if (between && value > 0) result.width = static_cast<int>(value);
        result.met = value <= baseWidth && value >= least && value > 0;
        return result;
    }
    return TypedReductionValue{static_cast<int>(std::clamp<long long>(value, 10, 100)), 0,
                               value >= 10 && value <= 100};
}

ScrollLayout ScrollLayoutFor(int width, int height) {
    ScrollLayout layout;
    layout.horizontal = width > kViewportSize;
    layout.vertical = height > kViewportSize;
    const int corner = layout.horizontal && layout.vertical ? 16 : 0;
    if (layout.horizontal) layout.horizontalMax = width - kViewportSize + corner;
    if (layout.vertical) layout.verticalMax = height - kViewportSize + corner;
    return layout;
}

std::optional<long long> ParseTrimNumber(const std::string& text) {
    size_t i = 0, end = text.size();
    while (i < end && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    while (end > i && std::isspace(static_cast<unsigned char>(text[end - 1]))) --end;
    bool negative = false;
    if (i < end && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    if (i == end) return std::nullopt;
    long long value = 0;
    for (; i < end; ++i) {
        if (!std::isdigit(static_cast<unsigned char>(text[i]))) return std::nullopt;
        // Anything beyond this is far outside every size; keep it from overflowing.
        if (value < 1'000'000'000'000LL) value = value * 10 + (text[i] - '0');
    }
    return negative ? -value : value;
}

TrimCheck CheckTrimSize(const std::string& widthText, const std::string& heightText, bool picked,
                        int paneWidth, int paneHeight) {
    TrimCheck check;
    const auto w = ParseTrimNumber(widthText);
    const auto h = ParseTrimNumber(heightText);
    if (!w || !h || *w <= 0 || *h <= 0) {
        check.message = Tr("ImagePreparation", "トリミングのサイズを入力してください");
        // The width field takes the focus whichever of the two is wrong.
        check.focus = TrimCheck::Focus::Width;
        return check;
    }
    if (!picked) {
        check.message = Tr("ImagePreparation", "トリミングの画像をロードしてください");
        return check;
    }
    constexpr long long kMax = std::numeric_limits<int16_t>::max();
    if (*w > kMax || *w > paneWidth) {
        check.message =
            Tr("ImagePreparation", "トリミングのサイズ幅(Max) = ") + std::to_string(paneWidth);
        check.focus = TrimCheck::Focus::Width;
        return check;
    }
    if (*h > kMax || *h > paneHeight) {
        check.message =
            Tr("ImagePreparation", "トリミングのサイズ高さ(Max) = ") + std::to_string(paneHeight);
        check.focus = TrimCheck::Focus::Height;
        return check;
    }
    check.width = static_cast<int16_t>(*w);
    check.height = static_cast<int16_t>(*h);
    return check;
}

TrimGeometry TrimGeometryFor(int W, int H) {
    TrimGeometry g;
    const int vw = W <= 360 ? 384 : (W > 640 ? 664 : W + 24);
    const int vh = H <= 360 ? 384 : (H > 480 ? 504 : H + 24);
    g.viewport = {vw, vh};
    g.panel = {vw + 4, vh + 56};
    g.window = {g.panel.width(), g.panel.height() + 20};
    g.x0 = (vw - 4 - W) / 2;
    g.y0 = (vh - 4 - H) / 2;
    return g;
}

TrimGeometry TrimGeometryFor(int W, int H, QSize picture, QSize room) {
    if (W <= 640 && H <= 480) return TrimGeometryFor(W, H);
    // What the window adds around its viewport (the panel's edge and button
    // strip, a title bar and frame), and the margin of 24 inside it.
    constexpr int kChromeWidth = 4 + 16, kChromeHeight = 76 + 40, kMargin = 24;
    const int64_t wide = std::max(W, picture.width()), high = std::max(H, picture.height());
    const int64_t roomWidth = std::max<int64_t>(room.width() - kChromeWidth - kMargin, 360);
    const int64_t roomHeight = std::max<int64_t>(room.height() - kChromeHeight - kMargin, 360);
    TrimGeometry g;
    g.scale = ZoomScale::Ratio(roomWidth, wide);
    if (const ZoomScale byHeight = ZoomScale::Ratio(roomHeight, high); byHeight < g.scale)
        g.scale = byHeight;
    if (ZoomScale(1) < g.scale) g.scale = ZoomScale(1);
    const int vw = std::max(static_cast<int>(g.scale.PaneLength(wide)) + kMargin, 384);
    const int vh = std::max(static_cast<int>(g.scale.PaneLength(high)) + kMargin, 384);
    g.viewport = {vw, vh};
    g.panel = {vw + 4, vh + 56};
    g.window = {g.panel.width(), g.panel.height() + 20};
    // The rectangle at the margin's corner: the picture, laid at the
    // rectangle's corner, is then seen whole too.
    g.x0 = g.y0 = (kMargin - 4) / 2;
    return g;
}

}  // namespace fennix
