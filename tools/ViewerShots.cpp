// Screenshots of the frame viewer: opened after a morph run on a few frames
// made from the sample pictures, and opened from the menu before a folder
// is chosen.
#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include "Shots.h"
#include "model/Settings.h"
#include "engine/MorphRun.h"
#include "ui/output/Fennix_View.h"
#include "media/ImageFile.h"

namespace {

// Writes frames 000 … 004: the sun fading into the moon.
void WriteSampleFrames(const std::string& samples, const std::string& folder) {
    const auto sun = fennix::LoadImageFile(samples + "/sun.bmp");
    const auto moon = fennix::LoadImageFile(samples + "/moon.bmp");
    if (!sun || !moon) return;
    const QImage end = moon->scaled(sun->size());
    for (int k = 0; k <= 4; ++k) {
        QImage frame = sun->copy();
        QPainter painter(&frame);
        painter.setOpacity(k / 4.0);
        painter.drawImage(0, 0, end);
        painter.end();
        fennix::SaveBitmapFile(frame, folder + "/" + fennix::FrameFileName(k, 0));
    }
}

const fennix::shots::Register viewer("viewer", [](const fennix::shots::Context& c) {
    QTemporaryDir frames;
    WriteSampleFrames(c.samples, frames.path().toStdString());

    // After a morph run, with frame 002 on screen.
    fennix::Settings.ViewerFromMenu = false;
    fennix::Settings.FrameFolder() = frames.path().toStdString() + "/";
    {
        fennix::Fennix_View view;
        int64_t now = 0;
        view.Clock = [&now] { return now; };
        view.show();
        view.Cmd_Play_Click();
        for (int i = 0; i < 3; ++i) {
            now += 100;
            view.PlayTimer_Timer();
        }
        view.Cmd_Pause_Click();
        QApplication::processEvents();
        fennix::shots::Save(&view, c.out, "viewer");
    }

    // From the menu, before a folder is chosen.
    fennix::Settings.ViewerFromMenu = true;
    {
        fennix::Fennix_View view;
        view.show();
        QApplication::processEvents();
        fennix::shots::Save(&view, c.out, "viewer-from-menu");

        // And after the folder choice.
        view.ChooseFolder = [&](QWidget*, std::string& folder) {
            folder = frames.path().toStdString();
            return true;
        };
        view.Cmd_File_Click();
        QApplication::processEvents();
        fennix::shots::Save(&view, c.out, "viewer-folder-chosen");
    }
});

}  // namespace
