#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QPolygonF>
#include <algorithm>
#include <cmath>
#include <iostream>

#include "engine/GridFit.h"
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
double MiddleOverlap(const QImage& a, const QImage& b, const MatrixRecord& start, const MatrixRecord& end) {
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

double MiddleOverlap(const MatrixRecord& start, const MatrixRecord& end) {
    return MiddleOverlap(Shape(Outline(false)), Shape(Outline(true)), start, end);
}

// A closed stroke from a circle to a bent blob brings the two outlines onto
// each other at the middle frame (these points are dense enough for loose
// pairs to do as well: the stroke holds them so whatever the mesh would
// otherwise choose).
TEST(StrokeMorph, StrokeBringsTheOutlinesTogether) {
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
    EXPECT_GE(stroke, loose);
}

// A level edge just below a row of grid points, far lower in the end
// picture: as loose pairs the mesh links the points along it to the grid
// points above rather than to each other, and the mesh takes the start
// edge through those grid points, off the end edge; as a stroke the start
// edge goes onto the end edge.
TEST(StrokeMorph, AnEdgeBesideGridPointsStaysStraight) {
    // The largest distance from the end edge of where the mesh takes the
    // start edge's places.
    const auto off = [](const MatrixRecord& start, const MatrixRecord& end) {
        int most = 0;
        for (int x = 0; x <= kSide; ++x) {
            const auto at = MapThroughMesh(start, end, 1, {x, 61});
            most = std::max(most, at ? std::abs(at->Y - 85) : kSide);
        }
        return most;
    };
    MatrixRecord start = test::Grid(kSide, kSide, 8, 8), end = start;
    ASSERT_EQ(AddStroke(start, end, {{0, 61}, {kSide, 61}}, {{0, 85}, {kSide, 85}}, false), "");
    MatrixRecord looseStart = test::Grid(kSide, kSide, 8, 8), looseEnd = looseStart;
    looseStart.FreePoints = start.Strokes[0].Points;
    looseEnd.FreePoints = end.Strokes[0].Points;
    ASSERT_TRUE(MeshUnfolded(looseStart, looseEnd));
    const int stroke = off(start, end), loose = off(looseStart, looseEnd);
    std::cout << "start edge off the end edge: stroke " << stroke << " px, loose pairs " << loose << " px\n";
    EXPECT_EQ(stroke, 0);
    EXPECT_GE(loose, 10);
}

// On grids laid evenly over the pictures, grid points lie between the
// circle and the blob, and the stroke alone would fold the mesh: the end
// grid makes room for it (its border staying), and the outlines then meet
// at the middle frame as well, whether the stroke is drawn as a pair at
// once or drawn circle to circle and its end side then redrawn as the blob.
TEST(StrokeMorph, TheEndGridMakesRoomForAStroke) {
    for (const bool redrawn : {false, true})
        for (const int cells : {3, 4, 5, 6, 8}) {
            SCOPED_TRACE(testing::Message() << cells << (redrawn ? " cells, redrawn" : " cells"));
            MatrixRecord start = test::Grid(kSide, kSide, cells, cells), end = start;
            MatrixRecord plainStart = start, plainEnd = end;
            const bool fitsAlone =
                AddStroke(plainStart, plainEnd, Outline(false), Outline(true), true).empty();
            bool gridMoved = true;
            if (redrawn) {
                ASSERT_EQ(AddStroke(start, end, Outline(false), Outline(false), true), "");
                ASSERT_EQ(RedrawStrokeMakingRoom(start, end, 0, 2, Outline(true), gridMoved), "");
                ASSERT_EQ(end.Strokes[0].Curve, Outline(true));
            } else {
                ASSERT_EQ(
                    AddStrokeMakingRoom(start, end, Outline(false), Outline(true), true, gridMoved),
                    "");
            }
            EXPECT_EQ(gridMoved, !fitsAlone);
            ASSERT_TRUE(MeshUnfolded(start, end));
            for (int k = 1; k <= cells + 1; ++k) {
                EXPECT_EQ(end.Points(k, 1), start.Points(k, 1));
                EXPECT_EQ(end.Points(1, k), start.Points(1, k));
                EXPECT_EQ(end.Points(k, cells + 1), start.Points(k, cells + 1));
                EXPECT_EQ(end.Points(cells + 1, k), start.Points(cells + 1, k));
            }
            EXPECT_GE(MiddleOverlap(start, end), 0.97);
        }
}

}  // namespace
}  // namespace fennix
