#include <gtest/gtest.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QPushButton>

#include "ui/common/QtTranslation.h"

namespace fennix {
namespace {

// The translation ships with the dependencies, so the standard buttons of
// every dialog read in Japanese once it is installed.
TEST(QtTranslation, StandardDialogButtonsSpeakJapanese) {
    const auto translator = LoadQtTranslation();
    ASSERT_TRUE(translator) << "qtbase_ja not found: is qt6-translations-l10n installed?";
    QApplication::installTranslator(translator.get());
    QDialogButtonBox box(QDialogButtonBox::Open | QDialogButtonBox::Cancel);
    const QString open = box.button(QDialogButtonBox::Open)->text();
    const QString cancel = box.button(QDialogButtonBox::Cancel)->text();
    QApplication::removeTranslator(translator.get());
    EXPECT_TRUE(open.startsWith("開く")) << open.toStdString();
    EXPECT_EQ(cancel, "キャンセル");
}

// The file dialogs' type column names a folder in Japanese too, whose
// translation Qt's catalogue lacks.
TEST(QtTranslation, FoldersAreTypedInJapanese) {
    EXPECT_EQ(JapaneseFileIcons().type(QFileInfo(QDir::tempPath())), "フォルダー");
}

}  // namespace
}  // namespace fennix
