// Screenshots of free point pairs: a portrait and a turned, smaller mirror
// image of it, with pairs on the eyes, the nose and the mouth and the
// preview at the middle frame; then the grid made twice as fine.
#include <QApplication>
#include <QTemporaryDir>

#include "Shots.h"
#include "model/Settings.h"
#include "support/WarpedPair.h"
#include "ui/document/Fennix_Main.h"

namespace fennix::shots {

namespace {

// Places on the portrait (320 × 320): each with the place of its mirror
// twin (the other eye, the other corner of the mouth; the nose its own).
struct Feature {
    double x, y, twinX, twinY;
};
constexpr Feature kFeatures[] = {
    {150, 125, 187, 125},  // eyes
    {187, 125, 150, 125},
    {168, 152, 168, 152},  // nose
    {152, 178, 184, 178},  // corners of the mouth
    {184, 178, 152, 178},
};

const Register freepoints("freepoints", [](const Context& c) {
    QImage start(QString::fromUtf8("/usr/share/doc/opencv-doc/opencv4/html/face_swapped.jpg"));
    if (start.isNull()) return;
    start = start.convertToFormat(QImage::Format_RGB32);
    test::WarpRecipe recipe;
    recipe.Amplitude = 4;
    recipe.Scale = 0.9;
    recipe.Degrees = 9;
    recipe.ShiftX = 10;
    recipe.ShiftY = 4;
    recipe.Noise = 0;
    const int w = start.width(), h = start.height();
    const test::WarpTruth truth(recipe, w, h);
    QTemporaryDir pictures;
    Settings.PreviewShown = true;
    Fennix_Main document;
    if (!OpenPair(document, start, test::WarpedPicture(start.mirrored(true, false), recipe), pictures,
                  QSize(1100, 420))) {
        Settings.PreviewShown = false;
        return;
    }
    // Each pair as a user makes it: a double click on the start picture,
    // then its partner dragged onto the feature in the end picture.
    const ZoomScale zoom = document.Document.Zoom;
    for (const Feature& f : kFeatures) {
        document.P_DoubleClick(1, Qt::LeftButton, zoom.PaneExact(f.x), zoom.PaneExact(f.y));
        const Point partner = document.Document.Matrix(2).FreePoints.back();
        double ex, ey;
        truth.Forward(w - 1 - f.twinX, f.twinY, ex, ey);
        const double fromX = zoom.PaneExact(partner.X), fromY = zoom.PaneExact(partner.Y);
        document.P_MouseDown(2, Qt::LeftButton, fromX, fromY);
        document.P_MouseMove(2, Qt::LeftButton, zoom.PaneExact(ex), zoom.PaneExact(ey));
        document.P_MouseUp(2, Qt::LeftButton, zoom.PaneExact(ex), zoom.PaneExact(ey));
    }
    document.SetPreviewFrame(document.Document.LastFrame / 2);
    SettleDocument(document);
    Save(&document, c.out, "document-free-points");
    // 格子を細かくする: the same correspondence on a grid twice as fine.
    document.mnuRefineGrid_Click();
    SettleDocument(document);
    Save(&document, c.out, "document-free-points-refined");
    Settings.PreviewShown = false;
});

}  // namespace

}  // namespace fennix::shots
