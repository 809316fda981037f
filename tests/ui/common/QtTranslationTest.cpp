#include <gtest/gtest.h>

#include <locale.h>
#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QPushButton>
#include <cstdlib>
#include <optional>
#include <string>

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

// Japanese dates never cost the user's locale: whether or not the Japanese
// locale is installed, the environment the C library reads afterwards still
// names a locale it can make (a missing one in LC_TIME would make it refuse
// the whole environment and fall back to ASCII). The user's own LANG and
// LC_CTYPE stay as they were.
TEST(QtTranslation, TheJapaneseLocaleLeavesTheEnvironmentUsable) {
    auto get = [](const char* name) -> std::optional<std::string> {
        const char* value = std::getenv(name);
        return value ? std::optional<std::string>(value) : std::nullopt;
    };
    auto put = [](const char* name, const std::optional<std::string>& value) {
        if (value)
            ::setenv(name, value->c_str(), 1);
        else
            ::unsetenv(name);
    };
    const char* names[] = {"LC_ALL", "LC_TIME", "LC_CTYPE", "LANG"};
    std::optional<std::string> saved[4];
    for (int i = 0; i < 4; ++i) saved[i] = get(names[i]);

    ::unsetenv("LC_ALL");
    ::unsetenv("LC_TIME");
    ::unsetenv("LC_CTYPE");
    ::setenv("LANG", "C.UTF-8", 1);
    UseJapaneseLocale();
    const std::optional<std::string> time = get("LC_TIME");
    if (time) {
        EXPECT_TRUE(LocaleInstalled(*time)) << *time;
    }
    EXPECT_EQ(time.has_value(), !ChooseJapaneseTimeLocale(LocaleInstalled).empty());
    EXPECT_EQ(get("LANG"), std::optional<std::string>("C.UTF-8"));
    EXPECT_FALSE(get("LC_CTYPE"));
    // The environment as a whole still makes a locale.
    const locale_t made = ::newlocale(LC_ALL_MASK, "", static_cast<locale_t>(0));
    EXPECT_NE(made, static_cast<locale_t>(0));
    if (made != static_cast<locale_t>(0)) ::freelocale(made);

    for (int i = 0; i < 4; ++i) put(names[i], saved[i]);
}

}  // namespace
}  // namespace fennix
