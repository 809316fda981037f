#include <gtest/gtest.h>

#include <QImage>
#include <algorithm>
#include <string>
#include <vector>

#include "engine/FaceLandmarks.h"
#include "engine/GridFit.h"
#include "model/FreeMesh.h"
#include "model/UnfoldedMove.h"
#include "support/TestGrids.h"
#include "support/WarpedPair.h"

namespace fennix {
namespace {

const char* const kAstronaut = "/usr/lib/python3/dist-packages/skimage/data/astronaut.png";

const FaceLandmarker& Model() {
    static const FaceLandmarker model = [] {
        FaceLandmarker m;
        std::string message;
        m.Load(DefaultFaceModelFolder(), message);
        return m;
    }();
    return model;
}

// Two portraits of different people at one size: the astronaut, and the
// footballer of opencv-doc's messi5.jpg cut around his head and enlarged.
QImage Astronaut() {
    return QImage(kAstronaut).convertToFormat(QImage::Format_RGB32);
}
QImage Footballer(int side) {
    const QImage photo(QString::fromStdString(test::PhotoPath("messi5.jpg")));
    return photo.copy(150, 0, 240, 240)
        .scaled(side, side, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
        .convertToFormat(QImage::Format_RGB32);
}

bool OnBorder(const MatrixRecord& m, int i, int j, Point p) {
    if (i == 1 && p.X != 0) return false;
    if (i == m.Rows + 1 && p.X != m.Width) return false;
    if (j == 1 && p.Y != 0) return false;
    if (j == m.Columns + 1 && p.Y != m.Height) return false;
    return true;
}

TEST(GridFitFaces, LandmarkPairsBecomeFreePointsAndTheGridFollowsUnfolded) {
    ASSERT_TRUE(Model().Loaded());
    const QImage start = Astronaut(), end = Footballer(512);
    ASSERT_FALSE(start.isNull());
    ASSERT_FALSE(end.isNull());
    MatrixRecord startGrid = test::Grid(512, 512, 6, 6), endGrid = startGrid;
    // A pair of the user's, in a corner far from the faces.
    startGrid.FreePoints = {{30, 480}};
    endGrid.FreePoints = {{32, 478}};
    GridFitOptions options;
    options.Faces = &Model();
    const GridFitResult first = FitEndGrid(start, end, startGrid, endGrid, options);
    ASSERT_EQ(first.Outcome, FitOutcome::Fitted) << first.Message;
    ASSERT_TRUE(first.FacesLed) << first.StartFaces << " / " << first.EndFaces;
    EXPECT_GE(first.FacePairs.size(), 60u);
    ASSERT_EQ(first.StartFreePoints.size(), first.FreePoints.size());
    EXPECT_EQ(first.StartFreePoints.size(), 1 + first.FacePairs.size());
    EXPECT_EQ(first.StartFreePoints[0], (Point{30, 480}));

    MatrixRecord fittedStart = startGrid, fittedEnd = endGrid;
    fittedStart.FreePoints = first.StartFreePoints;
    fittedEnd.Points = first.Points;
    fittedEnd.FreePoints = first.FreePoints;
    EXPECT_TRUE(GridUnfolded(fittedEnd));
    EXPECT_TRUE(MeshUnfolded(fittedStart, fittedEnd));
    for (int j = 1; j <= fittedEnd.Columns + 1; ++j)
        for (int i = 1; i <= fittedEnd.Rows + 1; ++i)
            EXPECT_TRUE(OnBorder(fittedEnd, i, j, fittedEnd.Points(i, j))) << i << "," << j;
    // The grid moved with the faces: some inner point went somewhere else.
    EXPECT_NE(first.Points, endGrid.Points);

    // Once more with the result: the face pairs are replaced, not added,
    // and the user's pair stays.
    options.PreviousFacePairs = first.FacePairs;
    const GridFitResult second = FitEndGrid(start, end, fittedStart, fittedEnd, options);
    ASSERT_TRUE(second.FacesLed);
    EXPECT_EQ(second.StartFreePoints.size(), 1 + second.FacePairs.size());
    EXPECT_EQ(second.StartFreePoints[0], (Point{30, 480}));
    EXPECT_EQ(second.FacePairs.size(), first.FacePairs.size());
}

struct NoLeadCase {
    const char* name;
    bool modelLoaded;
    std::string endPhoto;  // empty: the footballer
    int face;
};

class GridFitWithoutFaces : public ::testing::TestWithParam<NoLeadCase> {};

// Without the model, with a picture showing no face, or asking for a face
// that is not there, the fit goes as without landmarks and leaves the free
// points as they were.
TEST_P(GridFitWithoutFaces, BehavesAsWithoutLandmarks) {
    const NoLeadCase& c = GetParam();
    const QImage start = Astronaut();
    const QImage end =
        c.endPhoto.empty() ? Footballer(512) : test::Photo(c.endPhoto, 512).scaled(512, 512);
    ASSERT_FALSE(end.isNull());
    MatrixRecord startGrid = test::Grid(512, 512, 5, 5), endGrid = startGrid;
    startGrid.FreePoints = {{100, 100}};
    endGrid.FreePoints = {{100, 100}};
    FaceLandmarker missing;
    GridFitOptions options;
    options.Faces = c.modelLoaded ? &Model() : &missing;
    options.StartFace = options.EndFace = c.face;
    options.PreviousFacePairs = {{{100, 100}, {100, 100}}};
    const GridFitResult result = FitEndGrid(start, end, startGrid, endGrid, options);
    ASSERT_NE(result.Outcome, FitOutcome::Failed) << result.Message;
    EXPECT_FALSE(result.FacesLed);
    EXPECT_TRUE(result.FacePairs.empty());
    EXPECT_EQ(result.StartFreePoints, startGrid.FreePoints);
    EXPECT_EQ(result.FreePoints.size(), 1u);
    if (!c.modelLoaded) {
        EXPECT_NE(result.FaceNote.find("モデルがない"), std::string::npos);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, GridFitWithoutFaces,
                         ::testing::Values(NoLeadCase{"NoModel", false, "", 0},
                                           NoLeadCase{"NoFaceInEnd", true, "aloeL.jpg", 0},
                                           NoLeadCase{"NoSuchFace", true, "", 5}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace fennix
