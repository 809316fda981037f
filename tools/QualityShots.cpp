// Screenshots of the 画質 option: 作成オプション with 滑らか chosen, and the
// middle frame of a turned and enlarged pair in both qualities, a crop of
// each shown four times enlarged pixel for pixel side by side.
#include <QApplication>
#include <QLabel>
#include <QPainter>
#include <cmath>

#include "Shots.h"
#include "engine/FramePreview.h"
#include "media/ImageFile.h"
#include "support/TestGrids.h"
#include "ui/document/Fennix_RunOpt.h"

namespace fennix::shots {

namespace {

const Register quality("quality", [](const Context& c) {
    RunOptions options;
    options.Smooth = true;
    Fennix_RunOpt runOptions(options, 19);
    runOptions.show();
    QApplication::processEvents();
    Save(&runOptions, c.out, "run-options-quality");

    const auto start = LoadImageFile(c.samples + "/sun.bmp");
    const auto end = LoadImageFile(c.samples + "/moon.bmp");
    if (!start || !end) return;
    const int W = start->width(), H = start->height();
    // The end grid turned by 25° and enlarged 1.8 times about the centre:
    // the middle frame reads both pictures turned and enlarged.
    const MatrixRecord startGrid = test::Grid(W, H, 4, 4);
    MatrixRecord endGrid = startGrid;
    const double angle = 25 * M_PI / 180, scale = 1.8;
    for (int j = 1; j <= 5; ++j)
        for (int i = 1; i <= 5; ++i) {
            const Point p = startGrid.Points(i, j);
            const double x = p.X - W / 2.0, y = p.Y - H / 2.0;
            endGrid.Points(i, j) = {
                static_cast<int32_t>(
                    std::lround(W / 2.0 + scale * (std::cos(angle) * x - std::sin(angle) * y))),
                static_cast<int32_t>(
                    std::lround(H / 2.0 + scale * (std::sin(angle) * x + std::cos(angle) * y)))};
        }
    MorphSource source{&*start, &*end, &startGrid, &endGrid, 10, {}};
    const QImage exact = RenderMorphFrame(source, 5, 0);
    source.options.Smooth = true;
    const QImage smooth = RenderMorphFrame(source, 5, 0);
    if (exact.isNull() || smooth.isNull()) return;

    const QRect crop(W / 2 - 50, H / 2 - 40, 100, 80);
    constexpr int kZoom = 4, kGap = 12, kCaption = 28;
    QImage both(2 * crop.width() * kZoom + kGap, crop.height() * kZoom + kCaption,
                QImage::Format_RGB32);
    both.fill(Qt::white);
    QPainter painter(&both);
    painter.setFont(QFont(painter.font().family(), 12));
    int x = 0;
    for (const auto& [frame, caption] : {std::pair{&exact, "標準"}, std::pair{&smooth, "滑らか"}}) {
        painter.drawText(QRect(x, 0, crop.width() * kZoom, kCaption), Qt::AlignCenter,
                         QString::fromUtf8(caption));
        painter.drawImage(x, kCaption,
                          frame->copy(crop).scaled(crop.size() * kZoom, Qt::IgnoreAspectRatio,
                                                   Qt::FastTransformation));
        x += crop.width() * kZoom + kGap;
    }
    painter.end();
    QLabel label;
    label.setPixmap(QPixmap::fromImage(both));
    label.resize(both.size());
    label.show();
    QApplication::processEvents();
    Save(&label, c.out, "quality-crop");
});

}  // namespace
}  // namespace fennix::shots
