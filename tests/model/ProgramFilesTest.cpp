#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "core/AppFolder.h"
#include "model/ProgramFiles.h"
#include "model/Settings.h"
#include "model/TempImages.h"
#include "support/TestFolder.h"

namespace fennix {
namespace {

namespace fs = std::filesystem;

// At start the program removes the scratch files that killed copies left
// in its folders (the application, temporary and image folders); those of
// running copies and other files stay.
TEST(ProgramFilesTest, StartRemovesScratchFilesOfEndedCopies) {
    test::AppFolderScope app;
    const pid_t child = ::fork();
    if (child == 0) ::_exit(0);
    int status = 0;
    ::waitpid(child, &status, 0);
    const std::string ended = std::to_string(child);
    const std::string temp = app.Path() + "/" + kTempFolderName;
    const std::string images = app.Path() + "/" + kImageFolderName;
    fs::create_directory(temp);
    fs::create_directory(images);
    for (const std::string& folder : {app.Path(), temp, images}) {
        test::WriteFile(folder + "/.Fennix.ini." + ended + "-0123abcd.tmp", "killed");
        test::WriteFile(folder + "/.Fennix.ini.1-0123abcd.tmp", "running");
        test::WriteFile(folder + "/.face.bmp.0123abcd.tmp", "owner unknown");
    }
    OpenProgramFiles();
    for (const std::string& folder : {app.Path(), temp, images}) {
        const auto names = test::NamesIn(folder);
        EXPECT_FALSE(names.count(".Fennix.ini." + ended + "-0123abcd.tmp")) << folder;
        EXPECT_TRUE(names.count(".Fennix.ini.1-0123abcd.tmp")) << folder;
        EXPECT_TRUE(names.count(".face.bmp.0123abcd.tmp")) << folder;
    }
    CloseProgramFiles({});
}

// The installed program: settings, scratch files and pictures each in a
// folder of their own.
TEST(ProgramFilesTest, InstalledFoldersEachHoldTheirOwnFiles) {
    test::AppFolderScope scope;
    test::TestFolder pictures, settings, scratch;
    SetProgramFolders(ProgramFolders{pictures.Path(), settings.Path(), scratch.Path(), ""});
    test::WriteFile(settings.File("Fennix.ini"), "[Section]\n総フレーム数=33\n");
    OpenProgramFiles();
    EXPECT_EQ(Settings.TempFolder, scratch.File(kTempFolderName));
    EXPECT_EQ(Settings.ImageFolder, pictures.File(kImageFolderName));
    EXPECT_TRUE(fs::is_directory(Settings.TempFolder));
    EXPECT_TRUE(fs::is_directory(Settings.ImageFolder));
    EXPECT_EQ(SettingsFilePath(), settings.File("Fennix.ini"));
    EXPECT_EQ(AdditionsFilePath(), settings.File("Fennix-additions.ini"));
    EXPECT_EQ(Settings.FrameCount, 33);
    CloseProgramFiles({});
    EXPECT_TRUE(fs::exists(settings.File("Fennix.ini")));
    EXPECT_FALSE(fs::exists(pictures.File("Fennix.ini")));
    EXPECT_FALSE(fs::exists(scratch.File("Fennix.ini")));
}

// Settings an earlier version kept in the data folder come along once and
// never overwrite the ones already in the settings folder.
TEST(ProgramFilesTest, EarlierSettingsAreCopiedOnceAndNeverOverwrite) {
    test::AppFolderScope scope;
    test::TestFolder earlier, settings, pictures;
    SetProgramFolders(ProgramFolders{pictures.Path(), settings.Path(), pictures.Path(), ""});
    EXPECT_EQ(AdoptEarlierSettings(""), 0);
    EXPECT_EQ(AdoptEarlierSettings(earlier.File("missing")), 0);
    EXPECT_EQ(AdoptEarlierSettings(earlier.Path()), 0);  // nothing there

    test::WriteFile(earlier.File("Fennix.ini"), "old settings");
    test::WriteFile(earlier.File("Fennix-additions.ini"), "old additions");
    test::WriteFile(settings.File("Fennix-additions.ini"), "new additions");
    EXPECT_EQ(AdoptEarlierSettings(earlier.Path()), 1);
    EXPECT_EQ(test::ReadFile(settings.File("Fennix.ini")), "old settings");
    EXPECT_EQ(test::ReadFile(settings.File("Fennix-additions.ini")), "new additions");

    test::WriteFile(settings.File("Fennix.ini"), "changed since");
    EXPECT_EQ(AdoptEarlierSettings(earlier.Path()), 0);
    EXPECT_EQ(test::ReadFile(settings.File("Fennix.ini")), "changed since");
    // The earlier files stay.
    EXPECT_EQ(test::ReadFile(earlier.File("Fennix.ini")), "old settings");
    // The settings folder itself is no earlier place.
    EXPECT_EQ(AdoptEarlierSettings(settings.Path()), 0);
}

}  // namespace
}  // namespace fennix
