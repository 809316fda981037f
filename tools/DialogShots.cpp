// Qt's own dialogs as the program opens them: the file dialog of 開く and
// the colour dialog of the document's colour commands, in the chosen language.
#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>

#include "Shots.h"
#include "core/Translation.h"

namespace fennix::shots {
namespace {

const Register dialogs("dialogs", [](const Context& c) {
    const bool english = LanguageFromEnvironment() == Language::English;
    QFileDialog files(nullptr, Tr("Fennix_Mdif", "ファイルを開く"),
                      QString::fromStdString(c.samples));
    files.setOption(QFileDialog::DontUseNativeDialog);
    files.setFileMode(QFileDialog::ExistingFile);
    const QString bitmaps = english ? "Bitmaps (*.bmp)" : "ビットマップ (*.bmp)";
    files.setNameFilters(
        {english ? "Morph files (*.mph)" : "モーフィングファイル (*.mph)", bitmaps});
    files.selectNameFilter(bitmaps);
    files.resize(640, 420);
    files.show();
    QApplication::processEvents();
    Save(&files, c.out, "file-dialog");

    QColorDialog colours(Qt::red);
    colours.setOption(QColorDialog::DontUseNativeDialog);
    colours.show();
    QApplication::processEvents();
    Save(&colours, c.out, "color-dialog");
});

}  // namespace
}  // namespace fennix::shots
