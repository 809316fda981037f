#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

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

}  // namespace
}  // namespace fennix
