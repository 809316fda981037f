// Screenshots of the video export dialog: ready on a folder of frames, and
// in the middle of an export with its progress bar.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QPushButton>

#include "Shots.h"
#include "model/Settings.h"
#include "ui/controls/GFXFrameX.h"
#include "ui/controls/GradientProgressBar.h"
#include "core/AppFolder.h"
#include "ui/output/Fennix_Video.h"
#include "media/ImageFile.h"

namespace {

using namespace fennix;

const shots::Register video("video", [](const shots::Context& c) {
    // A run's folder of frames from the sample pictures.
    const std::string folder = ApplicationFolder() + "/20240305-07-08-10";
    QDir().mkpath(QString::fromStdString(folder));
    const auto start = LoadImageFile(c.samples + "/sun.bmp");
    const auto end = LoadImageFile(c.samples + "/moon.bmp");
    for (int k = 0; k < 20 && start && end; ++k) {
        char name[16];
        std::snprintf(name, sizeof name, "/%03d.bmp", k);
        SaveBitmapFile(k < 10 ? *start : *end, folder + name);
    }
    Settings.FrameFolder() = folder;

    Fennix_Video dialog(nullptr);
    dialog.Form_Load();
    dialog.show();
    QApplication::processEvents();
    shots::Save(&dialog, c.out, "video-export");

    // As it looks while a GIF is made: options greyed, the bar running.
    dialog.cboFormat->setCurrentIndex(static_cast<int>(VideoFormat::Gif));
    dialog.chkPingPong->setChecked(true);
    dialog.fraFrames->setEnabled(false);
    dialog.fraOption->setEnabled(false);
    dialog.Cmd_Export->setEnabled(false);
    dialog.Progress->SetValue(40);
    dialog.Progress->show();
    QApplication::processEvents();
    shots::Save(&dialog, c.out, "video-export-running");
});

}  // namespace
