// Screenshots of the source image dialog and the trimming window, with the
// sample pictures picked.
#include <QApplication>
#include <QLineEdit>
#include <deque>

#include "Shots.h"
#include "model/Settings.h"
#include "core/Prompts.h"
#include "ui/prepare/Fennix_Pic.h"
#include "ui/prepare/Fennix_Tri.h"

namespace fennix::shots {

namespace {

const Register prepare("prepare", [](const Context& c) {
    auto previous = InstallPrompts(std::make_unique<PickingPrompts>(
        std::deque<std::string>{c.samples + "/sun.bmp", c.samples + "/moon.bmp"}));
    Fennix_Pic dialog;
    dialog.cmd_Sel_Click(0);
    dialog.cmd_Sel_Click(1);
    dialog.slot[0].txt_w->setText("200");
    dialog.slot[0].txt_h->setText("150");
    dialog.show();
    QApplication::processEvents();
    Save(&dialog, c.out, "source-dialog");

    Fennix_Tri trim(dialog.slot[0].P, 200, 150, &dialog);
    trim.show();
    QApplication::processEvents();
    Save(&trim, c.out, "trimming");
    InstallPrompts(std::move(previous));
});

}  // namespace

}  // namespace fennix::shots
