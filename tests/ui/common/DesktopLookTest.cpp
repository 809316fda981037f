#include <gtest/gtest.h>

#include <QApplication>
#include <QFontDatabase>
#include <QFontInfo>
#include <QLabel>
#include <QMenu>
#include <QTableWidget>
#include <QTextBrowser>

#include "core/Version.h"
#include "ui/common/DesktopLook.h"
#include "ui/common/HelpWindows.h"
#include "ui/controls/Theme.h"

namespace fennix {
namespace {

// The desktop's font comes first; the Japanese fallback only behind one
// without Japanese glyphs, and only where it is installed.
TEST(DesktopLook, TheDesktopsFontLeadsAndJapaneseFallsBack) {
    const struct {
        const char* desktop;
        bool hasJapanese, fallbackInstalled;
        QStringList expected;
    } cases[] = {
        {"Cantarell", false, true, {"Cantarell", "IPAGothic"}},
        {"Noto Sans CJK JP", true, true, {"Noto Sans CJK JP"}},
        {"DejaVu Sans", false, false, {"DejaVu Sans"}},
        {"Noto Sans CJK JP", true, false, {"Noto Sans CJK JP"}},
        {"IPAGothic", true, true, {"IPAGothic"}},
        {"ipagothic", false, true, {"ipagothic"}},  // never twice
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.desktop);
        EXPECT_EQ(InterfaceFontFamilies(c.desktop, c.hasJapanese, c.fallbackInstalled), c.expected);
    }
}

// The real start-up step: the size and family stay the desktop's.
TEST(DesktopLook, TheApplicationKeepsTheDesktopsFamilyAndSize) {
    const QFont before = QApplication::font();
    const QString family = QFontInfo(before).family();
    UseDesktopFont();
    const QFont after = QApplication::font();
    EXPECT_EQ(after.families().value(0), family);
    EXPECT_EQ(after.pointSizeF(), before.pointSizeF());
    const bool fallback = QFontDatabase::families().contains(kJapaneseFallbackFamily);
    const bool japanese = QFontDatabase::writingSystems(family).contains(QFontDatabase::Japanese);
    EXPECT_EQ(after.families().contains(kJapaneseFallbackFamily),
              fallback && !japanese && family != kJapaneseFallbackFamily);
    QApplication::setFont(before);
}

QPalette DarkPalette() {
    QPalette dark;
    dark.setColor(QPalette::Window, QColor(0x2B, 0x2B, 0x2E));
    dark.setColor(QPalette::WindowText, QColor(0xE8, 0xE8, 0xE8));
    dark.setColor(QPalette::Base, QColor(0x1E, 0x1E, 0x20));
    dark.setColor(QPalette::Button, QColor(0x3A, 0x3A, 0x3E));
    dark.setColor(QPalette::ButtonText, QColor(0xE8, 0xE8, 0xE8));
    dark.setColor(QPalette::Light, QColor(0x55, 0x55, 0x5A));
    dark.setColor(QPalette::Highlight, QColor(0x1A, 0x3A, 0x80));  // dark itself
    dark.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(0x80, 0x80, 0x80));
    return dark;
}

// How far apart two colours' lightness lies (0 … 255).
int Contrast(const QColor& a, const QColor& b) {
    return std::abs(a.lightness() - b.lightness());
}

// A light palette keeps the program's own colours; a dark one gives dark
// faces with light captions, and captions and frames that read on the
// palette's window.
TEST(Theme, LightPalettesKeepTheProgramsColoursDarkOnesFollowThePalette) {
    QPalette light(QColor(0xEF, 0xEF, 0xEF));
    light.setColor(QPalette::WindowText, Qt::black);
    ASSERT_TRUE(theme::IsLight(light));
    const theme::Colours own = theme::ColoursFor(light);
    EXPECT_EQ(own.face, theme::kFace);
    EXPECT_EQ(own.faceBottom, theme::kFaceBottom);
    EXPECT_EQ(own.border, theme::kBorder);
    EXPECT_EQ(own.text, theme::kText);
    EXPECT_EQ(own.caption, theme::kCaption);
    EXPECT_EQ(own.panel, theme::kPanel);
    EXPECT_EQ(theme::PanelColour(light, 0xE0E0E0), 0xE0E0E0);

    const QPalette dark = DarkPalette();
    ASSERT_FALSE(theme::IsLight(dark));
    const theme::Colours c = theme::ColoursFor(dark);
    for (const QColor& face : {c.face, c.faceBottom, c.disabledFace, c.panel, c.trough})
        EXPECT_LT(face.lightness(), 110) << face.name().toStdString();
    EXPECT_GE(Contrast(c.text, c.face), 120);
    EXPECT_GE(Contrast(c.text, c.faceBottom), 120);
    EXPECT_GE(Contrast(c.disabledText, c.faceBottom), 40);
    EXPECT_GE(Contrast(c.caption, dark.color(QPalette::Window)), 100);
    EXPECT_GE(Contrast(c.border, c.faceBottom), 30);
    const int32_t panel = theme::PanelColour(dark, 0xE0E0E0);
    EXPECT_EQ(QColor(panel & 0xFF, (panel >> 8) & 0xFF, (panel >> 16) & 0xFF),
              dark.color(QPalette::Window));
}

// バージョン情報 names the version, the licence and every library with a
// version.
TEST(HelpWindows, AboutNamesTheVersionLicenceAndLibraries) {
    const std::string about = AboutText();
    EXPECT_NE(about.find(std::string("Fennix ") + ProgramVersion()), std::string::npos);
    EXPECT_NE(about.find(kProgramLicence), std::string::npos);
    for (const char* library : {"Qt ", "FFmpeg ", "libjpeg-turbo ", "libwmf ", "OpenCV "}) {
        const size_t at = about.find(library);
        ASSERT_NE(at, std::string::npos) << library;
        const size_t end = about.find('\n', at);
        const std::string version = about.substr(at + strlen(library), end - at - strlen(library));
        EXPECT_FALSE(version.empty()) << library;
        EXPECT_NE(version, "?") << library;
        EXPECT_TRUE(std::isdigit(static_cast<unsigned char>(version[0]))) << library << version;
    }
}

// The menu opens the three windows, each once however often it is asked.
TEST(HelpWindows, TheMenuOpensTheGuideTheKeysAndTheVersion) {
    QWidget owner;
    QMenu* menu = BuildHelpMenu(&owner);
    const QList<QAction*> items = menu->actions();
    ASSERT_EQ(items.size(), 4);
    EXPECT_EQ(items[0]->text(), "使い方");
    EXPECT_EQ(items[0]->shortcut(), QKeySequence(Qt::Key_F1));
    EXPECT_EQ(items[1]->text(), "キーボードショートカット");
    EXPECT_TRUE(items[2]->isSeparator());
    EXPECT_EQ(items[3]->text(), "バージョン情報");

    items[0]->trigger();
    auto* guide = owner.findChild<QTextBrowser*>("guide");
    ASSERT_TRUE(guide);
    EXPECT_TRUE(guide->isVisible());
    EXPECT_TRUE(guide->toPlainText().contains("Fennix"));  // the README built in
    items[0]->trigger();
    EXPECT_EQ(owner.findChildren<QTextBrowser*>("guide").size(), 1);

    items[1]->trigger();
    auto* keys = owner.findChild<QTableWidget*>("shortcuts");
    ASSERT_TRUE(keys);
    EXPECT_EQ(keys->rowCount(), static_cast<int>(ShortcutEntries().size()));
    EXPECT_EQ(keys->item(0, 0)->text(),
              QKeySequence(Qt::CTRL | Qt::Key_N).toString(QKeySequence::NativeText));
    EXPECT_EQ(keys->item(0, 1)->text(), "新規");
    for (int row = 0; row < keys->rowCount(); ++row) {
        EXPECT_FALSE(keys->item(row, 0)->text().isEmpty()) << row;
        EXPECT_FALSE(keys->item(row, 1)->text().isEmpty()) << row;
    }

    items[3]->trigger();
    auto* about = owner.findChild<QLabel*>("about");
    ASSERT_TRUE(about);
    EXPECT_EQ(about->text().toStdString(), AboutText());
    for (QWidget* window : {guide->window(), keys->window(), about->window()}) window->close();
}

}  // namespace
}  // namespace fennix
