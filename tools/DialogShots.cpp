// Qt's own dialogs as the program opens them: the file dialog of 開く and
// the colour dialog of the document's colour commands, both in Japanese.
#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>

#include "Shots.h"

namespace fennix::shots {
namespace {

const Register dialogs("dialogs", [](const Context& c) {
    QFileDialog files(nullptr, "ファイルを開く", QString::fromStdString(c.samples));
    files.setOption(QFileDialog::DontUseNativeDialog);
    files.setFileMode(QFileDialog::ExistingFile);
    files.setNameFilters({"モーフィングファイル (*.mph)", "ビットマップ (*.bmp)"});
    files.selectNameFilter("ビットマップ (*.bmp)");
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
