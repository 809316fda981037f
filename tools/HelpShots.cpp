// The ヘルプ menu's windows: the guide, the keyboard shortcuts, バージョン情報.
#include <QApplication>
#include <QMenu>

#include "Shots.h"
#include "ui/common/HelpWindows.h"

namespace fennix::shots {
namespace {

const Register help("help", [](const Context& c) {
    QWidget owner;
    QMenu* menu = BuildHelpMenu(&owner);
    menu->adjustSize();
    Save(menu, c.out, "help-menu");
    for (const auto& [name, show] :
         {std::pair{"help-guide", &ShowGuide}, std::pair{"help-shortcuts", &ShowShortcuts},
          std::pair{"help-about", &ShowAbout}}) {
        QWidget* window = show(&owner);
        QApplication::processEvents();
        Save(window, c.out, name);
        window->close();
        QApplication::processEvents();
    }
});

}  // namespace
}  // namespace fennix::shots
