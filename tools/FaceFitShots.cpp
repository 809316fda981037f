// Screenshots of 自動調整 on two portraits of different people (the
// astronaut of scikit-image and the footballer of opencv-doc's messi5.jpg):
// the 68 landmark pairs placed as free points and the grid following them,
// with the preview at the middle frame.
#include <QApplication>
#include <QTemporaryDir>

#include "Shots.h"
#include "model/Settings.h"
#include "support/WarpedPair.h"
#include "ui/document/Fennix_Main.h"

namespace fennix::shots {

namespace {

const Register faces("faces", [](const Context& c) {
    const QImage start = QImage("/usr/lib/python3/dist-packages/skimage/data/astronaut.png")
                             .scaled(320, 320, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                             .convertToFormat(QImage::Format_RGB32);
    const QImage photo(QString::fromStdString(test::PhotoPath("messi5.jpg")));
    if (start.isNull() || photo.isNull()) return;
    const QImage end = photo.copy(150, 0, 240, 240)
                           .scaled(320, 320, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                           .convertToFormat(QImage::Format_RGB32);
    QTemporaryDir pictures;
    Settings.PreviewShown = true;
    Fennix_Main document;
    if (!OpenPair(document, start, end, pictures, QSize(1040, 340))) {
        Settings.PreviewShown = false;
        return;
    }
    document.mnuAutoFit_Click();
    SettleDocument(document);
    Save(&document, c.out, "document-faces-fitted");
    Settings.PreviewShown = false;
});

}  // namespace

}  // namespace fennix::shots
