#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include "engine/FramePreview.h"
#include "engine/Warp.h"
#include "model/FreeMesh.h"
#include "support/TestGrids.h"

namespace fennix {
namespace {

constexpr QRgb kDisc = 0xFFD02020;

// A picture of a soft background (the same in both pictures) with a red
// disc of radius 12 around (cx, 60).
QImage DiscPicture(int cx) {
    QImage image(160, 120, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgb(60 + x / 4, 110 + y / 4, 150));
    QPainter painter(&image);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor::fromRgb(kDisc));
    painter.drawEllipse(QPointF(cx, 60), 12, 12);
    return image;
}

int Distance(QRgb a, QRgb b) {
    return std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) + std::abs(qBlue(a) - qBlue(b));
}

struct DiscMorph {
    QImage start = DiscPicture(40), end = DiscPicture(120);
    MatrixRecord startGrid = test::Grid(160, 120, 1, 1), endGrid = test::Grid(160, 120, 1, 1);
    MorphSource Source() const { return {&start, &end, &startGrid, &endGrid, 10, {}}; }
};

// A disc moving over a shared background: one free pair on its middle
// carries it whole to the halfway place in the middle frame; without the
// pair the grid alone dissolves one disc into the other where they stand.
TEST(FreePointMorph, OnePairCarriesTheDiscWhole) {
    struct Case {
        bool pair;
        int wholeAt;  // x where the disc shows whole in frame 5, 0 for none
    };
    for (const Case c : {Case{true, 80}, Case{false, 0}}) {
        DiscMorph morph;
        if (c.pair) {
            morph.startGrid.FreePoints = {{40, 60}};
            morph.endGrid.FreePoints = {{120, 60}};
        }
        const QImage frame = RenderMorphFrame(morph.Source(), 5, 0);
        ASSERT_FALSE(frame.isNull());
        const QImage background = DiscPicture(-100);
        int whole = 0, ghost = 0;
        for (int dy = -5; dy <= 5; ++dy)
            for (int dx = -5; dx <= 5; ++dx) {
                whole += Distance(frame.pixel(80 + dx, 60 + dy), kDisc) <= 6;
                // Halfway between the disc and the background where either
                // disc stood.
                for (int x : {40, 120}) {
                    const QRgb half = qRgb((qRed(kDisc) + qRed(background.pixel(x + dx, 60 + dy))) / 2,
                                           (qGreen(kDisc) + qGreen(background.pixel(x + dx, 60 + dy))) / 2,
                                           (qBlue(kDisc) + qBlue(background.pixel(x + dx, 60 + dy))) / 2);
                    ghost += Distance(frame.pixel(x + dx, 60 + dy), half) <= 6;
                }
            }
        if (c.wholeAt) {
            EXPECT_EQ(whole, 121);
            EXPECT_EQ(ghost, 0);
        } else {
            EXPECT_EQ(whole, 0);
            EXPECT_EQ(ghost, 2 * 121);
        }
    }
}

// The mesh with free points warps alike on every path of the engine, and
// the preview's quick reduced frame follows the pairs too.
TEST(FreePointMorph, EveryWarpPathGivesThePlainPathsBytes) {
    DiscMorph morph;
    morph.startGrid.FreePoints = {{40, 60}, {150, 10}, {10, 110}};
    morph.endGrid.FreePoints = {{120, 60}, {148, 12}, {14, 106}};
    ASSERT_TRUE(MeshUnfolded(morph.startGrid, morph.endGrid));
    ASSERT_TRUE(SetWarpPath(WarpPath::Plain));
    const QImage reference = RenderMorphFrame(morph.Source(), 4, 0);
    for (WarpPath path : {WarpPath::Avx2, WarpPath::Avx512, WarpPath::Auto}) {
        if (!SetWarpPath(path)) continue;
        EXPECT_EQ(RenderMorphFrame(morph.Source(), 4, 0), reference) << WarpPathName(path);
    }
    SetWarpPath(WarpPath::Auto);
    const QImage reduced = RenderMorphFrameReduced(morph.Source(), 5, 0, 0.5);
    ASSERT_EQ(reduced.size(), QSize(80, 60));
    EXPECT_LE(Distance(reduced.pixel(40, 30), kDisc), 10);
}

// Refining a plain project's grids leaves its frames all but unchanged: the
// new points' places are rounded to whole pixels, nothing more.
TEST(FreePointMorph, RefiningKeepsThePlainFrames) {
    DiscMorph morph;
    morph.startGrid = morph.endGrid = test::Grid(160, 120, 2, 2);
    morph.endGrid.Points(2, 2) = {95, 52};
    morph.endGrid.Points(2, 1) = {70, 0};
    const QImage before = RenderMorphFrame(morph.Source(), 3, 0);
    RefineGrids(morph.startGrid, morph.endGrid);
    ASSERT_EQ(morph.startGrid.Rows, 4);
    const QImage after = RenderMorphFrame(morph.Source(), 3, 0);
    ASSERT_EQ(after.size(), before.size());
    int64_t total = 0;
    int apart = 0;  // pixels that changed more than a little
    for (int y = 0; y < before.height(); ++y)
        for (int x = 0; x < before.width(); ++x) {
            const int d = Distance(before.pixel(x, y), after.pixel(x, y));
            total += d;
            apart += d > 24;
        }
    EXPECT_LT(static_cast<double>(total) / (before.width() * before.height()), 1.0);
    // Only along the disc's sharp edge, where a sample moved by a pixel.
    EXPECT_LT(apart, before.width() * before.height() / 100);
}

}  // namespace
}  // namespace fennix
