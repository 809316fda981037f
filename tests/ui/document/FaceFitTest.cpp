#include <gtest/gtest.h>

#include <QAction>
#include <QTest>
#include <QUndoStack>

#include "model/FreeMesh.h"
#include "model/ProjectFile.h"
#include "model/Settings.h"
#include "model/UnfoldedMove.h"
#include "support/ScriptedPrompts.h"
#include "support/TestFolder.h"
#include "support/WarpedPair.h"
#include "ui/document/Fennix_Main.h"
#include "SampleDocument.h"

namespace fennix {
namespace {

// A document on two portraits of different people: scikit-image's
// astronaut and the footballer of opencv-doc's messi5.jpg.
class FaceFitTest : public testing::Test {
  protected:
    void SetUp() override {
        test::UseDocumentSettings(app.Path());
        const QImage start = QImage("/usr/lib/python3/dist-packages/skimage/data/astronaut.png")
                                 .scaled(320, 320, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        const QImage photo(QString::fromStdString(test::PhotoPath("messi5.jpg")));
        ASSERT_FALSE(start.isNull());
        ASSERT_FALSE(photo.isNull());
        ASSERT_TRUE(start.save(QString::fromStdString(folder.File("start.bmp")), "BMP"));
        ASSERT_TRUE(photo.copy(150, 0, 240, 240)
                        .scaled(320, 320, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                        .save(QString::fromStdString(folder.File("end.bmp")), "BMP"));
        window.resize(1200, 500);
        ASSERT_TRUE(window.NewMorph(folder.File("start.bmp"), folder.File("end.bmp")));
    }
    bool Fitted() {
        return QTest::qWaitFor([this] { return !window.FitRunning(); }, 60000);
    }

    test::AppFolderScope app;
    test::TestFolder folder;
    test::ScopedPrompts prompts;
    Fennix_Main window;
};

// The landmark pairs become free points of both grids in one undo step; a
// second fit replaces them, keeping the user's pair; the marks survive a
// save and a reopen.
TEST_F(FaceFitTest, LandmarkPairsInOneUndoStepReplacedByTheNextFit) {
    MatrixRecord& start = window.Document.Matrix(1);
    MatrixRecord& end = window.Document.Matrix(2);
    start.FreePoints = {{10, 300}};
    end.FreePoints = {{12, 298}};
    const MatrixRecord startBefore = start, endBefore = end;
    window.mnuAutoFit->trigger();
    ASSERT_TRUE(Fitted());
    ASSERT_GE(window.Document.FacePairs.size(), 60u);
    EXPECT_EQ(start.FreePoints.size(),
              1 + window.Document.FacePairs.size() + window.Document.DetailPairs.size());
    EXPECT_EQ(start.FreePoints.front(), (Point{10, 300}));
    EXPECT_TRUE(GridUnfolded(end));
    EXPECT_TRUE(MeshUnfolded(start, end));
    EXPECT_EQ(window.UndoStack()->count(), 1);

    // The same fit again replaces its face pairs by the same ones: nothing
    // changes, so no step is added.
    const MatrixRecord startFitted = start, endFitted = end;
    window.mnuAutoFit->trigger();
    ASSERT_TRUE(Fitted());
    EXPECT_EQ(start, startFitted);
    EXPECT_EQ(end, endFitted);
    EXPECT_EQ(window.UndoStack()->count(), 1);

    const std::string path = folder.File("faces.mph");
    prompts->ChooseFilePath(path);
    window.mnuSaveName_Click();
    MorphProject read;
    ASSERT_EQ(LoadMorphFile(path, read), "");
    EXPECT_EQ(read.Additions.FacePairs, window.Document.FacePairs);
    EXPECT_EQ(read.Additions.DetailPairs, window.Document.DetailPairs);
    EXPECT_EQ(read.Matrix1.FreePoints, start.FreePoints);

    window.Undo();
    EXPECT_EQ(start, startBefore);
    EXPECT_EQ(end, endBefore);
    EXPECT_TRUE(window.Document.FacePairs.empty());

    // Another face: each picture has one, so the fit goes without
    // landmarks and leaves the user's free point first, with only the pairs
    // it adds for detail behind it.
    window.mnuAutoFitNextFace->trigger();
    ASSERT_TRUE(Fitted());
    ASSERT_EQ(start.FreePoints.size(), 1 + window.Document.DetailPairs.size());
    EXPECT_EQ(start.FreePoints.front(), startBefore.FreePoints.front());
    EXPECT_TRUE(window.Document.FacePairs.empty());
}

}  // namespace
}  // namespace fennix
