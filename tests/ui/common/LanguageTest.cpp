#include <gtest/gtest.h>

#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>

#include "model/ProjectFile.h"
#include "support/ScriptedPrompts.h"
#include "support/TestFolder.h"
#include "ui/common/QtTranslation.h"
#include "ui/controls/ImageOption.h"
#include "ui/controls/ccXPButton.h"
#include "ui/frame/Fennix_Opt.h"
#include "ui/prepare/Fennix_Pic.h"

namespace fennix {
namespace {

// What a few windows and messages show once the environment's language is
// installed as the program installs it at start-up.
struct Shown {
    QString optionsTitle, okButton, cancelButton, noneOption;
    QString qtCancel;  // a button of Qt's own dialogs
    QString folderType;
    std::string loadFailure;
    std::string pictureFilter;  // the first filter of the picture dialog's pick
};

Shown ShownIn(Language language, const std::string& missingProject,
              test::ScriptedPrompts& prompts) {
    const auto translators = InstallLanguage(language);
    Shown shown;
    {
        Fennix_Pic dialog;
        prompts.fileRequests.clear();
        dialog.cmd_Sel_Click(0);  // the scripted dialog cancels
        if (!prompts.fileRequests.empty() && !prompts.fileRequests[0].Filters.empty())
            shown.pictureFilter = prompts.fileRequests[0].Filters[0];
    }
    {
        Fennix_Opt dialog;
        shown.optionsTitle = dialog.windowTitle();
        shown.okButton = dialog.ccXPButton1->text();
        shown.cancelButton = dialog.ccXPButton2->text();
        shown.noneOption = dialog.Recent[1]->Lbl->text();
    }
    QDialogButtonBox box(QDialogButtonBox::Cancel);
    shown.qtCancel = box.button(QDialogButtonBox::Cancel)->text().remove(QChar(u'&'));
    shown.folderType = JapaneseFileIcons().type(QFileInfo(QDir::tempPath()));
    MorphProject project;
    shown.loadFailure = LoadMorphFile(missingProject, project);
    InstallTranslator(
        nullptr);  // back to the Japanese texts; the catalogue goes with `translators`
    return shown;
}

TEST(Language, TheEnvironmentChoosesJapaneseOrEnglishTexts) {
    test::AppFolderScope app;
    test::ScopedPrompts prompts;
    test::TestFolder folder;
    const std::string missing = folder.File("none.mph");
    const Shown japanese{"オプションの設定",
                         "設定",
                         "ｷｬﾝｾﾙ",
                         "なし",
                         "キャンセル",
                         "フォルダー",
                         "モーフィングファイルを読み込めませんでした。" + missing,
                         "画像ﾌｧｲﾙ (*.bmp;*.jpg;*.gif;*.dib;*.wmf)"};
    const Shown english{"Options",
                        "OK",
                        "Cancel",
                        "None",
                        "Cancel",
                        "Folder",
                        "Could not read the morph file " + missing,
                        "Image files (*.bmp;*.jpg;*.gif;*.dib;*.wmf)"};
    struct Case {
        const char *fennixLang, *lang;
        const Shown& expected;
    } cases[] = {
        {"en", "ja_JP.UTF-8", english},
        {"", "en_US.UTF-8", english},
        {"", "de_DE.UTF-8", english},
        {"ja", "en_US.UTF-8", japanese},
        {"", "C", japanese},
        {"", "C.UTF-8", japanese},
        {"", "", japanese},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("FENNIX_LANG=") + c.fennixLang + " LANG=" + c.lang);
        const Shown shown =
            ShownIn(ChooseLanguage(c.fennixLang, "", "", c.lang), missing, *prompts);
        EXPECT_EQ(shown.optionsTitle, c.expected.optionsTitle);
        EXPECT_EQ(shown.okButton, c.expected.okButton);
        EXPECT_EQ(shown.cancelButton, c.expected.cancelButton);
        EXPECT_EQ(shown.noneOption, c.expected.noneOption);
        EXPECT_EQ(shown.qtCancel, c.expected.qtCancel);
        EXPECT_EQ(shown.folderType, c.expected.folderType);
        EXPECT_EQ(shown.loadFailure, c.expected.loadFailure);
        EXPECT_EQ(shown.pictureFilter, c.expected.pictureFilter);
    }
}

}  // namespace
}  // namespace fennix
