// Screenshots of the grid editor (a document at 200 % with a point held and
// its partner marked, then in the middle of a run) and of the options dialog.
#include <QApplication>

#include "Shots.h"
#include "ui/frame/Fennix_Opt.h"
#include "model/Settings.h"
#include "ui/document/Fennix_Main.h"

namespace fennix::shots {

namespace {

const Register editor("editor", [](const Context& c) {
    Fennix_Main document;
    document.resize(960, 560);
    document.NewMorph(c.samples + "/sun.bmp", c.samples + "/moon.bmp");
    document.mnuZoom_Click(2);
    // Point (2, 2) at (64, 48) is shown at (128, 96); hold it a little to
    // the right and down, so its partner is marked on the night sky.
    document.P_MouseDown(1, Qt::LeftButton, 128, 96);
    document.P_MouseMove(1, Qt::LeftButton, 156, 118);
    QApplication::processEvents();
    Save(&document, c.out, "document-point-held");
    document.P_MouseUp(1, Qt::LeftButton, 156, 118);

    // A run half-way: the frame being made in place of the pictures, the
    // counter in the caption and the progress bar above the scroll bar.
    document.RunViewer = [] {};
    bool saved = false;
    document.FrameShown = [&](int k, int last) {
        if (saved || k < last / 2) return;
        Save(&document, c.out, "document-running");
        saved = true;
    };
    document.mnuMorphIt_Click();
    while (document.MorphRunning()) QApplication::processEvents(QEventLoop::WaitForMoreEvents);

    // The preview beside the pictures, at the middle frame, a point moved.
    {
        Settings.PreviewShown = true;
        Fennix_Main previewed;
        previewed.resize(1040, 300);
        previewed.NewMorph(c.samples + "/sun.bmp", c.samples + "/moon.bmp");
        const Point p = previewed.Document.Matrix(2).Points(3, 3);
        previewed.P_MouseDown(2, Qt::LeftButton, p.X, p.Y);
        previewed.P_MouseMove(2, Qt::LeftButton, p.X + 30, p.Y - 20);
        previewed.P_MouseUp(2, Qt::LeftButton, p.X + 30, p.Y - 20);
        SettleDocument(previewed);
        Save(&previewed, c.out, "document-preview");
        Settings.PreviewShown = false;
    }

    Fennix_Opt dialog;
    dialog.show();
    QApplication::processEvents();
    Save(&dialog, c.out, "options");
});

}  // namespace

}  // namespace fennix::shots
