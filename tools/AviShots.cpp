// Screenshots of the AVI dialog in its three modes and of the compressor
// chooser.
#include <QApplication>
#include <QDir>
#include <QImage>
#include <QListWidget>

#include "Shots.h"
#include "model/Settings.h"
#include "core/AppFolder.h"
#include "media/AviFrames.h"
#include "ui/output/CompressorWidget.h"
#include "ui/output/Fennix_Avi.h"
#include "media/ImageFile.h"

namespace {

using namespace fennix;

// A folder of frames beside the program, made from the sample pictures.
std::string MakeFrames(const std::string& samples) {
    const std::string folder = ApplicationFolder() + "/20240305-07-08-09";
    QDir().mkpath(QString::fromStdString(folder));
    const auto start = LoadImageFile(samples + "/sun.bmp");
    const auto end = LoadImageFile(samples + "/moon.bmp");
    for (int k = 0; k < 20 && start && end; ++k) {
        char name[16];
        std::snprintf(name, sizeof name, "/%03d.bmp", k);
        SaveBitmapFile(k < 10 ? *start : *end, folder + name);
    }
    return folder;
}

const shots::Register avi("avi", [](const shots::Context& c) {
    const std::string frames = MakeFrames(c.samples);
    Settings.FrameFolder() = frames;
    QFile(QString::fromStdString(ApplicationFolder() + "/morph.avi")).open(QIODevice::WriteOnly);
    QFile(QString::fromStdString(ApplicationFolder() + "/face.avi")).open(QIODevice::WriteOnly);

    FolderDialogMode = 0;
    {
        Fennix_Avi dialog(nullptr);
        dialog.Form_Load();
        dialog.SetFolder(frames);
        dialog.show();
        QApplication::processEvents();
        shots::Save(&dialog, c.out, "avi-create");
    }
    FolderDialogMode = 1;
    {
        Fennix_Avi dialog(nullptr);
        dialog.Form_Load();
        dialog.show();
        QApplication::processEvents();
        shots::Save(&dialog, c.out, "avi-choose-folder");
    }
    FolderDialogMode = 2;
    {
        Fennix_Avi dialog(nullptr);
        dialog.Form_Load();
        dialog.File1->setCurrentRow(0);
        dialog.File1_Click(0);
        dialog.show();
        QApplication::processEvents();
        shots::Save(&dialog, c.out, "avi-viewer");
    }
    {
        CompressorWidget chooser(nullptr);
        chooser.show();
        QApplication::processEvents();
        shots::Save(&chooser, c.out, "avi-compressor");
    }
});

}  // namespace
