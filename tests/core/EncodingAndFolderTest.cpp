#include <gtest/gtest.h>

#include <filesystem>

#include "core/AppFolder.h"
#include "core/TextEncoding.h"
#include "support/TestFolder.h"

namespace fennix {
namespace {

// "総フレーム数= 20" in cp932.
const std::string kCp932Line = "\x91\x8D\x83\x74\x83\x8C\x81\x5B\x83\x80\x90\x94= 20";

TEST(TextEncoding, Utf8PassesThroughAndCp932IsDecoded) {
    EXPECT_TRUE(IsValidUtf8("総フレーム数= 20"));
    EXPECT_FALSE(IsValidUtf8(kCp932Line));
    EXPECT_EQ(DecodeText("総フレーム数= 20"), "総フレーム数= 20");
    EXPECT_EQ(DecodeText(kCp932Line), "総フレーム数= 20");
    // Half-width katakana "ﾌｧｲﾙ" in cp932.
    EXPECT_EQ(DecodeText("\xCC\xA7\xB2\xD9"), "ﾌｧｲﾙ");
    EXPECT_EQ(DecodeText("\xEF\xBB\xBF" "abc"), "abc");
}

TEST(TextEncoding, RejectsMalformedUtf8) {
    EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));          // overlong "/"
    EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));      // surrogate
    EXPECT_FALSE(IsValidUtf8("\xE3\x81"));          // cut off
    EXPECT_TRUE(IsValidUtf8("\xF0\x9F\x98\x80"));   // U+1F600
}

TEST(TextEncoding, ReadTextFileDecodesAndReportsMissingFiles) {
    test::TestFolder folder;
    test::WriteFile(folder.File("a.ini"), kCp932Line);
    EXPECT_EQ(ReadTextFile(folder.File("a.ini")).value(), "総フレーム数= 20");
    EXPECT_FALSE(ReadTextFile(folder.File("missing.ini")).has_value());
}

TEST(AppFolder, ExecutableFolderWhenWritableOtherwiseTheDesktopsFolders) {
    test::TestFolder writable;
    const ProgramFolders own = ResolveProgramFolders(
        writable.Path() + "/", DesktopFolders{"/nonexistent", {}, {}, {}, {}});
    EXPECT_EQ(own, (ProgramFolders{writable.Path(), writable.Path(), writable.Path(), ""}));

    // A folder the program cannot write into (here: one that does not exist,
    // which holds for root too) takes the desktop's folders, made on the way.
    test::TestFolder home;
    const std::string unwritable = home.File("no/such/bin");
    const ProgramFolders given = ResolveProgramFolders(
        unwritable, DesktopFolders{home.Path(), home.File("conf"), home.File("cache/"),
                                   home.File("data"), home.File("Bilder")});
    EXPECT_EQ(given, (ProgramFolders{home.File("Bilder/Fennix"), home.File("conf/Fennix"),
                                     home.File("cache/Fennix"), home.File("data/Fennix")}));
    for (const std::string& folder : {given.Pictures, given.Settings, given.Scratch})
        EXPECT_TRUE(std::filesystem::is_directory(folder)) << folder;
    EXPECT_FALSE(std::filesystem::exists(given.EarlierSettings));

    // Nothing set: the folders below the home folder.
    test::TestFolder bare;
    const ProgramFolders fallback =
        ResolveProgramFolders(unwritable, DesktopFolders{bare.Path(), {}, {}, {}, {}});
    EXPECT_EQ(fallback,
              (ProgramFolders{bare.File("Pictures/Fennix"), bare.File(".config/Fennix"),
                              bare.File(".cache/Fennix"), bare.File(".local/share/Fennix")}));

    // The installed program's folder, even where root may write into it;
    // the pictures folder as the user's user-dirs.dirs names it.
    test::TestFolder user;
    std::filesystem::create_directories(user.File("conf"));
    test::WriteFile(user.File("conf/user-dirs.dirs"),
                    "XDG_DESKTOP_DIR=\"$HOME/Desktop\"\nXDG_PICTURES_DIR=\"$HOME/Fotos\"\n");
    const ProgramFolders installed = ResolveProgramFolders(
        "/usr/lib/fennix", DesktopFolders{user.Path(), user.File("conf"), {}, {}, "/elsewhere"});
    EXPECT_EQ(installed.Pictures, user.File("Fotos/Fennix"));
    EXPECT_EQ(installed.Settings, user.File("conf/Fennix"));
    EXPECT_EQ(installed.Scratch, user.File(".cache/Fennix"));
}

TEST(AppFolder, PicturesFolderAsXdgUserDirFindsIt) {
    struct Case {
        const char* userDirs;
        const char* environment;
        const char* expected;  // "" for none
    };
    const Case cases[] = {
        {"XDG_PICTURES_DIR=\"$HOME/Pictures\"\n", "", "/home/u/Pictures"},
        {"XDG_PICTURES_DIR=\"$HOME/画像\"\r\n", "", "/home/u/画像"},
        {"# comment\n  XDG_PICTURES_DIR=\"/data/photos/\"  \n", "", "/data/photos"},
        {"XDG_PICTURES_DIR=\"$HOME/A\"\nXDG_PICTURES_DIR=\"$HOME/B\"\n", "", "/home/u/B"},
        {"XDG_PICTURES_DIR=\"$HOME/My\\ Pictures\"\n", "", "/home/u/My Pictures"},
        {"XDG_PICTURES_DIR=Bilder\n", "", "/home/u/Bilder"},
        {"#XDG_PICTURES_DIR=\"$HOME/No\"\n", "", ""},
        {"XDG_MUSIC_DIR=\"$HOME/Music\"\n", "/srv/pics", "/srv/pics"},
        {"XDG_PICTURES_DIR=\"$HOME/From\"\n", "/srv/pics", "/home/u/From"},
        {"", "$HOME/Env", "/home/u/Env"},
        {"XDG_PICTURES_DIR=\"$HOME\"\n", "", ""},  // the home folder: none
        {"XDG_PICTURES_DIR=\"$HOME/\"\n", "", ""},
        {"XDG_PICTURES_DIR=\"\"\n", "", ""},
        {"", "", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PicturesFolderFromUserDirs(c.userDirs, c.environment, "/home/u"), c.expected)
            << c.userDirs << " / " << c.environment;
}

TEST(AppFolder, SettingsAndScratchFollowTheApplicationFolderUnlessSetApart) {
    SetProgramFolders(ProgramFolders{"/p/", "/s", "/c//", "/e"});
    EXPECT_EQ(ApplicationFolder(), "/p");
    EXPECT_EQ(SettingsFolder(), "/s");
    EXPECT_EQ(ScratchFolder(), "/c");
    SetApplicationFolder("/a/");
    EXPECT_EQ(ApplicationFolder(), "/a");
    EXPECT_EQ(SettingsFolder(), "/a");
    EXPECT_EQ(ScratchFolder(), "/a");
    SetApplicationFolder("");
}

}  // namespace
}  // namespace fennix
