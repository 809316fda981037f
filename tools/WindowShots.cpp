// Screenshots of the document window with 4000 × 3000 photographs as the
// frame shows it: the preview turned on at the fitted zoom, the document
// maximised, the trimming window on such a picture, and two documents
// after 開く. Under a window manager (make screenshots-wm) these show what
// the manager does with them.
#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTemporaryDir>
#include <deque>

#include "Shots.h"
#include "media/ImageFile.h"
#include "model/Settings.h"
#include "ui/document/Fennix_Main.h"
#include "ui/frame/Fennix_Mdif.h"
#include "ui/prepare/Fennix_Pic.h"
#include "ui/prepare/Fennix_Tri.h"

namespace fennix::shots {

namespace {

// A sample enlarged to 4000 × 3000 and written as a JPEG photograph.
std::string Photo(const std::string& sample, const QTemporaryDir& folder, const char* name) {
    return EnlargedPhoto(sample, folder, name, {4000, 3000});
}

// Lets the events run for a while (a refit after a resize waits a little).
void Settle(int ms = 300) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) QApplication::processEvents(QEventLoop::AllEvents, 20);
}

void WaitForPreview(const Fennix_Main& document) {
    SettleDocument(document);
    Settle(100);
}

const Register window("window", [](const Context& c) {
    QTemporaryDir folder;
    const std::string start = Photo(c.samples + "/sun.bmp", folder, "start.jpg");
    const std::string end = Photo(c.samples + "/moon.bmp", folder, "end.jpg");
    const std::string project = folder.filePath("photos.mph").toStdString();

    Fennix_Mdif frame;
    frame.MDIForm_Load();
    frame.resize(1280, 800);
    frame.show();
    Settle();
    Fennix_Main* document = frame.CreateDocument();
    document->NewMorph(start, end);
    Settle();
    document->mnuPreview_Click();
    WaitForPreview(*document);
    Save(&frame, c.out, "document-preview-fitted");

    if (auto* sub = qobject_cast<QMdiSubWindow*>(document->parentWidget())) sub->showMaximized();
    Settle();
    WaitForPreview(*document);
    Save(&frame, c.out, "document-maximised");
    if (auto* sub = qobject_cast<QMdiSubWindow*>(document->parentWidget())) sub->showNormal();
    document->mnuPreview_Click();
    Settle();

    // Saved, then opened again by 開く: the opened one is in front and active.
    auto previous = InstallPrompts(std::make_unique<PickingPrompts>(
        std::deque<std::string>{project, project}));
    document->mnuSaveName_Click();
    frame.mnuOpenMorph_Click();
    Settle();
    Save(&frame, c.out, "two-documents");
    InstallPrompts(std::move(previous));

    // The trimming window on a 4000 × 3000 picture with a 3600 × 2400 frame.
    auto picking = InstallPrompts(std::make_unique<PickingPrompts>(std::deque<std::string>{start}));
    Fennix_Pic dialog;
    dialog.cmd_Sel_Click(0);
    dialog.slot[0].txt_w->setText("3600");
    dialog.slot[0].txt_h->setText("2400");
    dialog.RunTrimming = [&](Fennix_Tri& tri) {
        tri.show();
        Settle(100);
        Save(&tri, c.out, "trimming-large");
        tri.reject();
    };
    dialog.Cmd_Triming_Click(0);
    InstallPrompts(std::move(picking));
    Settings.PreviewShown = false;
});

}  // namespace

}  // namespace fennix::shots
