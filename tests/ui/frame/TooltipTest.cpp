#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "media/PicturePane.h"
#include "model/RunOptions.h"
#include "model/Settings.h"
#include "support/ScriptedPrompts.h"
#include "support/TestFolder.h"
#include "ui/controls/ccXPButton.h"
#include "ui/document/Fennix_Main.h"
#include "ui/document/Fennix_RunOpt.h"
#include "ui/frame/Fennix_Chain.h"
#include "ui/frame/Fennix_Opt.h"
#include "ui/output/CompressorWidget.h"
#include "ui/output/Fennix_Avi.h"
#include "ui/output/Fennix_Video.h"
#include "ui/output/Fennix_View.h"
#include "ui/prepare/Fennix_Pic.h"
#include "ui/prepare/Fennix_Tri.h"

namespace fennix {
namespace {

// Every button of the program's windows says what it does when the
// pointer rests on it.
TEST(Tooltips, EveryButtonOfEveryWindowHasATooltip) {
    test::AppFolderScope app;
    test::ScopedPrompts prompts;
    test::UseDefaultGridSettings();
    QWidget owner;
    PicturePane target;
    target.SetSize(200, 150);
    const struct {
        const char* name;
        std::function<std::unique_ptr<QWidget>()> make;
    } windows[] = {
        {"Fennix_Opt", [] { return std::make_unique<Fennix_Opt>(); }},
        {"Fennix_RunOpt", [] { return std::make_unique<Fennix_RunOpt>(RunOptions{}, 19); }},
        {"Fennix_Chain", [] { return std::make_unique<Fennix_Chain>(); }},
        {"Fennix_Main", [] { return std::make_unique<Fennix_Main>(); }},
        {"Fennix_Pic", [] { return std::make_unique<Fennix_Pic>(); }},
        {"Fennix_Tri", [&] { return std::make_unique<Fennix_Tri>(target, 100, 80); }},
        {"Fennix_Avi", [&] { return std::make_unique<Fennix_Avi>(&owner); }},
        {"Fennix_Video", [&] { return std::make_unique<Fennix_Video>(&owner); }},
        {"Fennix_View", [&] { return std::make_unique<Fennix_View>(&owner); }},
        {"CompressorWidget", [&] { return std::make_unique<CompressorWidget>(&owner); }},
    };
    for (const auto& window : windows) {
        SCOPED_TRACE(window.name);
        const std::unique_ptr<QWidget> made = window.make();
        const QList<ccXPButton*> buttons = made->findChildren<ccXPButton*>();
        EXPECT_FALSE(buttons.isEmpty());
        for (const ccXPButton* button : buttons)
            EXPECT_FALSE(button->toolTip().isEmpty()) << button->text().toStdString();
    }
}

}  // namespace
}  // namespace fennix
