// Screenshots with a pair of 6000 × 4000 photographs, made at run time from
// the samples: the source image dialog showing both whole with a typed
// reduction, a new document opened fitted to its window, and the frame
// viewer on frames of that size.
#include <QApplication>
#include <QImage>
#include <QLineEdit>
#include <QTemporaryDir>
#include <deque>

#include "Shots.h"
#include "model/Settings.h"
#include "ui/output/Fennix_View.h"
#include "media/ImageFile.h"
#include "core/Prompts.h"
#include "ui/prepare/Fennix_Pic.h"
#include "ui/document/Fennix_Main.h"

namespace fennix::shots {

namespace {

// A sample enlarged to 6000 × 4000 and written as a JPEG photograph.
std::string LargePhoto(const std::string& sample, const QTemporaryDir& folder,
                       const char* name) {
    return EnlargedPhoto(sample, folder, name, {6000, 4000});
}

const Register large("large", [](const Context& c) {
    QTemporaryDir folder;
    const std::string start = LargePhoto(c.samples + "/sun.bmp", folder, "start.jpg");
    const std::string end = LargePhoto(c.samples + "/moon.bmp", folder, "end.jpg");

    auto previous =
        InstallPrompts(std::make_unique<PickingPrompts>(std::deque<std::string>{start, end}));
    {
        Fennix_Pic dialog;
        dialog.cmd_Sel_Click(0);
        dialog.cmd_Sel_Click(1);
        dialog.slot[0].txt_Stretch->setText("800px");
        dialog.txt_Stretch_Change(0);
        dialog.show();
        QApplication::processEvents();
        Save(&dialog, c.out, "source-dialog-large");
    }
    InstallPrompts(std::move(previous));

    Fennix_Main document;
    document.resize(960, 560);
    document.NewMorph(start, end);
    // Hold point (3, 3) of the start grid, so its partner is marked.
    const Point p = document.Document.Matrix(1).Points(3, 3);
    const ZoomScale z = document.Document.Zoom;
    document.P_MouseDown(1, Qt::LeftButton, z.PanePos(p.X), z.PanePos(p.Y));
    document.P_MouseMove(1, Qt::LeftButton, z.PanePos(p.X) + 20, z.PanePos(p.Y) + 12);
    QApplication::processEvents();
    Save(&document, c.out, "document-fitted");
    document.P_MouseUp(1, Qt::LeftButton, z.PanePos(p.X) + 20, z.PanePos(p.Y) + 12);

    // The frame viewer on 6000 × 4000 frames: scaled to the screen, its
    // controls in view.
    QTemporaryDir frames;
    const auto frame = LoadImageFile(start);
    if (frame) {
        SaveBitmapFile(*frame, frames.filePath("000.bmp").toStdString());
        SaveBitmapFile(*frame, frames.filePath("001.bmp").toStdString());
    }
    Settings.ViewerFromMenu = false;
    Settings.FrameFolder() = frames.path().toStdString() + "/";
    Fennix_View view;
    view.show();
    QApplication::processEvents();
    Save(&view, c.out, "viewer-large");
});

}  // namespace

}  // namespace fennix::shots
