// Screenshots of 自動調整: a document of a photo and a warped, turned and
// recoloured copy of it, with the preview at the middle frame, before and
// after the fit.
#include <QApplication>
#include <QTemporaryDir>

#include "Shots.h"
#include "model/Settings.h"
#include "support/WarpedPair.h"
#include "ui/document/Fennix_Main.h"

namespace fennix::shots {

namespace {

const Register autofit("autofit", [](const Context& c) {
    const QImage start = test::Photo("fruits.jpg", 320);
    if (start.isNull()) return;
    test::WarpRecipe recipe;
    recipe.Amplitude = 8;
    recipe.Scale = 1.08;
    recipe.Degrees = 6;
    recipe.ShiftX = 12;
    recipe.ShiftY = -8;
    QTemporaryDir pictures;
    Settings.PreviewShown = true;
    Fennix_Main document;
    if (!OpenPair(document, start, test::WarpedPicture(start, recipe), pictures, QSize(1040, 340))) {
        Settings.PreviewShown = false;
        return;
    }
    Save(&document, c.out, "document-autofit-before");
    document.mnuAutoFit_Click();
    SettleDocument(document);
    Save(&document, c.out, "document-autofit-after");
    Settings.PreviewShown = false;
});

}  // namespace

}  // namespace fennix::shots
