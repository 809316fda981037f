// Screenshots of the mesh over the pictures: free point pairs at 200 %,
// whose edges to the grid show on both pictures; and a dense grid (40 × 40
// cells) at 100 %, where the markers shrink to dots and the held point
// alone keeps its size.
#include <QApplication>
#include <QTemporaryDir>

#include "Shots.h"
#include "model/Settings.h"
#include "ui/document/Fennix_Main.h"

namespace fennix::shots {

namespace {

const Register mesh("mesh", [](const Context& c) {
    {
        Fennix_Main document;
        document.resize(1340, 560);
        document.NewMorph(c.samples + "/sun.bmp", c.samples + "/moon.bmp");
        document.mnuZoom_Click(2);
        // Three pairs on the start picture (pane pixels at 200 %), the
        // second one's partner then dragged up and to the right.
        document.P_DoubleClick(1, Qt::LeftButton, 200, 150);
        document.P_DoubleClick(1, Qt::LeftButton, 330, 250);
        document.P_DoubleClick(1, Qt::LeftButton, 470, 330);
        const Point partner = document.Document.Matrix(2).FreePoints[1];
        const ZoomScale zoom = document.Document.Zoom;
        const double x = zoom.PaneExact(partner.X), y = zoom.PaneExact(partner.Y);
        document.P_MouseDown(2, Qt::LeftButton, x, y);
        document.P_MouseMove(2, Qt::LeftButton, x + 30, y - 24);
        document.P_MouseUp(2, Qt::LeftButton, x + 30, y - 24);
        QApplication::processEvents();
        Save(&document, c.out, "document-mesh-edges");
    }

    // The samples enlarged to 640 × 480 under a grid of 40 × 40 cells of
    // 16 × 12 pixels, one point held.
    QTemporaryDir pictures;
    const QImage sun = QImage(QString::fromStdString(c.samples + "/sun.bmp"))
                           .scaled(640, 480, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const QImage moon = QImage(QString::fromStdString(c.samples + "/moon.bmp"))
                            .scaled(640, 480, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const int rows = Settings.Rows, columns = Settings.Columns;
    Settings.Rows = 40;
    Settings.Columns = 40;
    {
        Fennix_Main document;
        if (OpenPair(document, sun, moon, pictures, QSize(1340, 600))) {
            document.mnuZoom_Click(1);
            // Point (21, 21) at (320, 240), held a little to the left.
            document.P_MouseDown(1, Qt::LeftButton, 320, 240);
            document.P_MouseMove(1, Qt::LeftButton, 316, 238);
            QApplication::processEvents();
            Save(&document, c.out, "document-dense-grid");
            document.P_MouseUp(1, Qt::LeftButton, 316, 238);
        }
    }
    Settings.Rows = rows;
    Settings.Columns = columns;
});

}  // namespace

}  // namespace fennix::shots
