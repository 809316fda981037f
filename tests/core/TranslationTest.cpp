#include <gtest/gtest.h>

#include <set>
#include <string>

#include "core/Translation.h"

namespace fennix {
namespace {

struct LocaleCase {
    const char* fennixLang;
    const char* lcAll;
    const char* lcMessages;
    const char* lang;
    Language expected;
};

TEST(Translation, TheLocaleChoosesTheLanguage) {
    const LocaleCase cases[] = {
        {"", "", "", "", Language::Japanese},  // nothing set: the program as specified
        {"", "", "", "C", Language::Japanese},
        {"", "", "", "C.UTF-8", Language::Japanese},
        {"", "", "", "C.utf8", Language::Japanese},
        {"", "", "", "POSIX", Language::Japanese},
        {"", "", "", "ja_JP.UTF-8", Language::Japanese},
        {"", "", "", "ja_JP.eucJP", Language::Japanese},
        {"", "", "", "ja", Language::Japanese},
        {"", "", "", "en_US.UTF-8", Language::English},
        {"", "", "", "en_GB", Language::English},
        {"", "", "", "de_DE.UTF-8", Language::English},
        {"", "", "", "fr_FR@euro", Language::English},
        {"", "", "", "jv_ID", Language::English},  // Javanese, not Japanese
        {"", "", "", "Cyrl", Language::English},   // not the C locale
        // LC_ALL wins over LC_MESSAGES, which wins over LANG.
        {"", "de_DE.UTF-8", "ja_JP.UTF-8", "ja_JP.UTF-8", Language::English},
        {"", "C", "de_DE.UTF-8", "de_DE.UTF-8", Language::Japanese},
        {"", "", "en_US.UTF-8", "ja_JP.UTF-8", Language::English},
        {"", "", "ja_JP.UTF-8", "en_US.UTF-8", Language::Japanese},
        // FENNIX_LANG overrides the locale; another value is not a choice.
        {"en", "", "", "ja_JP.UTF-8", Language::English},
        {"en", "C", "", "", Language::English},
        {"ja", "en_US.UTF-8", "", "", Language::Japanese},
        {"fr", "", "", "en_US.UTF-8", Language::English},
        {"fr", "", "", "C", Language::Japanese},
    };
    for (const LocaleCase& c : cases)
        EXPECT_EQ(ChooseLanguage(c.fennixLang, c.lcAll, c.lcMessages, c.lang), c.expected)
            << "FENNIX_LANG=" << c.fennixLang << " LC_ALL=" << c.lcAll
            << " LC_MESSAGES=" << c.lcMessages << " LANG=" << c.lang;
}

TEST(Translation, FormatFillsNumberedPlaces) {
    EXPECT_EQ(Format("キー「%1」が二度あります", {"hold-start"}),
              "キー「hold-start」が二度あります");
    EXPECT_EQ(Format("%2 of %1", {"a", "b"}), "b of a");
    EXPECT_EQ(Format("%1%1", {"x"}), "xx");
    // An argument's own "%2" is not filled again; places without an
    // argument, a lone "%" and "%0" stay as written.
    EXPECT_EQ(Format("%1 and %2", {"%2", "y"}), "%2 and y");
    EXPECT_EQ(Format("%1 %3 100% %0 %", {"a"}), "a %3 100% %0 %");
    EXPECT_EQ(Format("", {}), "");
}

TEST(Translation, TrAsksTheInstalledTranslator) {
    const char* source = "保存できませんでした。";
    EXPECT_EQ(Tr("Test", source), source);  // none installed: the literal itself
    InstallTranslator([](const char* context, const char* text) {
        return std::string(context) == "Test" && std::string(text) == "保存できませんでした。"
                   ? std::string("Could not save ")
                   : std::string();
    });
    const char* english = Tr("Test", source);
    EXPECT_STREQ(english, "Could not save ");
    EXPECT_EQ(Tr("Test", source), english);  // the same text, kept for the run
    EXPECT_EQ(Tr("Other", source), source);  // unknown there: the Japanese
    EXPECT_EQ(Tr("Test", "開始画像"), std::string("開始画像"));
    InstallTranslator(nullptr);
    EXPECT_EQ(Tr("Test", source), source);
    EXPECT_STREQ(english, "Could not save ");  // still valid after the change
}

// The Japanese time locale is chosen only where it is installed; its two
// spellings are both taken, the usual one first.
TEST(Translation, TheJapaneseTimeLocaleIsChosenOnlyWhereInstalled) {
    const struct {
        std::set<std::string> installed;
        std::string expected;
    } cases[] = {
        {{}, ""},
        {{"C.UTF-8", "en_US.UTF-8"}, ""},
        {{"ja_JP.UTF-8"}, "ja_JP.UTF-8"},
        {{"ja_JP.utf8"}, "ja_JP.utf8"},
        {{"ja_JP.utf8", "ja_JP.UTF-8"}, "ja_JP.UTF-8"},
        {{"ja_JP.EUC-JP", "ja_JP"}, ""},  // not UTF-8: file names would not read
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expected);
        std::set<std::string> asked;
        const std::string chosen = ChooseJapaneseTimeLocale([&](const std::string& name) {
            asked.insert(name);
            return c.installed.count(name) > 0;
        });
        EXPECT_EQ(chosen, c.expected);
        EXPECT_FALSE(asked.empty());
    }
}

// The C library's own answer: the locales every system has, and names no
// system has.
TEST(Translation, InstalledLocalesAreThoseTheCLibraryCanMake) {
    const struct {
        const char* name;
        bool installed;
    } cases[] = {
        {"C", true},
        {"POSIX", true},
        {"", false},
        {"xx_NOWHERE.UTF-8", false},
        {"ja_JP.NO-SUCH-CODESET", false},
        {"fennix-no-such-locale", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(LocaleInstalled(c.name), c.installed);
    }
    // What the chooser gives back is always something the library has.
    const std::string chosen = ChooseJapaneseTimeLocale(LocaleInstalled);
    if (!chosen.empty()) {
        EXPECT_TRUE(LocaleInstalled(chosen));
    }
}

}  // namespace
}  // namespace fennix
