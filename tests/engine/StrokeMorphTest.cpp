#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QPolygonF>
#include <algorithm>
#include <cmath>
#include <iostream>

#include "engine/Warp.h"
#include "model/FreeMesh.h"
#include "model/StrokeMaking.h"
#include "support/TestGrids.h"

namespace fennix {
namespace {

constexpr int kSide = 240;

// The bend that turns the circle into the blob: each row shifted along x
// by a curve of its height, fading out towards the border so that the
// border stays.
Point Bend(Point p, double fade = 1) {
    const double shift = 0.004 * (p.Y - 120) * (p.Y - 120) - 10;
    return {static_cast<int>(std::lround(p.X + fade * shift)), p.Y};
}

// A circle of radius 70 around the middle, or the blob it bends into:
// closed curves of 360 points.
std::vector<Point> Outline(bool blob) {
    std::vector<Point> curve;
    for (int k = 0; k < 360; ++k) {
        const double a = k * M_PI / 180;
        const Point p{static_cast<int>(std::lround(120 + 70 * std::cos(a))),
                      static_cast<int>(std::lround(120 + 70 * std::sin(a)))};
        curve.push_back(blob ? Bend(p) : p);
    }
    return curve;
}

// Grids of 8 × 8 cells, the end one bent as the blob is (several grid
// points lie 3 pixels inside the circle).
void BentGrids(MatrixRecord& start, MatrixRecord& end) {
    start = test::Grid(kSide, kSide, 8, 8);
    end = start;
    for (int j = 2; j <= 8; ++j)
        for (int i = 2; i <= 8; ++i) {
            const Point p = start.Points(i, j);
            const double r = std::hypot(p.X - 120.0, p.Y - 120.0);
            end.Points(i, j) = Bend(p, std::clamp(1 - (r - 75) / 45, 0.0, 1.0));
        }
}

QImage Shape(const std::vector<Point>& curve) {
    QImage image(kSide, kSide, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter painter(&image);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    QPolygonF polygon;
    for (const Point& p : curve) polygon << QPointF(p.X, p.Y);
    painter.drawPolygon(polygon);
    return image;
}

// Each picture warped alone onto the middle mesh; the overlap (intersection
// over union) of the two warped shapes.
double MiddleOverlap(const MatrixRecord& start, const MatrixRecord& end) {
    const QImage a = Shape(Outline(false)), b = Shape(Outline(true));
    TriangleList startList, endList;
    BuildMeshTriangles(start, end, startList, endList);
    const TriangleList middle = InterpolateTrianglesAt(startList, endList, 0.5f);
    QImage fromStart(kSide, kSide, QImage::Format_RGB32), fromEnd(kSide, kSide, QImage::Format_RGB32);
    WarpMeshBits(a.constBits(), startList, b.constBits(), endList, fromStart.bits(), kSide, kSide, middle, 0.0f, 1);
    WarpMeshBits(a.constBits(), startList, b.constBits(), endList, fromEnd.bits(), kSide, kSide, middle, 1.0f, 1);
    int both = 0, either = 0;
    for (int y = 0; y < kSide; ++y)
        for (int x = 0; x < kSide; ++x) {
            const bool p = qRed(fromStart.pixel(x, y)) > 127, q = qRed(fromEnd.pixel(x, y)) > 127;
            both += p && q;
            either += p || q;
        }
    return either ? static_cast<double>(both) / either : 0;
}

// A closed stroke from a circle to a bent blob brings the two outlines onto
// each other at the middle frame; the same points as loose pairs, whose
// mesh edges cut across the outline near the grid points, leave them
// apart.
TEST(StrokeMorph, StrokeBringsOutlinesTogetherWhereLoosePairsDoNot) {
    MatrixRecord start, end;
    BentGrids(start, end);
    ASSERT_TRUE(MeshUnfolded(start, end));
    ASSERT_EQ(AddStroke(start, end, Outline(false), Outline(true), true), "");
    ASSERT_EQ(start.Strokes.size(), 1u);
    EXPECT_GE(start.Strokes[0].Points.size(), 30u);
    const double stroke = MiddleOverlap(start, end);

    MatrixRecord looseStart, looseEnd;
    BentGrids(looseStart, looseEnd);
    looseStart.FreePoints = start.Strokes[0].Points;
    looseEnd.FreePoints = end.Strokes[0].Points;
    ASSERT_TRUE(MeshUnfolded(looseStart, looseEnd));
    const double loose = MiddleOverlap(looseStart, looseEnd);
    std::cout << "middle-frame overlap: stroke " << stroke << ", loose pairs " << loose << " ("
              << start.Strokes[0].Points.size() << " pairs)\n";
    EXPECT_GE(stroke, 0.97);
    EXPECT_GT(stroke, loose + 0.01);
}

}  // namespace
}  // namespace fennix
