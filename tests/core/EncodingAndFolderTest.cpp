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

TEST(AppFolder, ExecutableFolderWhenWritableOtherwiseUserDataFolder) {
    test::TestFolder writable;
    EXPECT_EQ(ResolveApplicationFolder(writable.Path() + "/", "", "/nonexistent"), writable.Path());

    // A folder the program cannot write into (here: one that does not exist,
    // which holds for root too) falls back to the user's data folder.
    test::TestFolder data;
    const std::string unwritable = data.File("no/such/bin");
    EXPECT_EQ(ResolveApplicationFolder(unwritable, data.File("xdg"), "/nonexistent"),
              data.File("xdg") + "/Fennix");
    EXPECT_TRUE(std::filesystem::is_directory(data.File("xdg") + "/Fennix"));
    EXPECT_EQ(ResolveApplicationFolder(unwritable, "", data.Path()),
              data.Path() + "/.local/share/Fennix");
    // The installed program's folder, even where root may write into it.
    EXPECT_EQ(ResolveApplicationFolder("/usr/lib/fennix", data.File("xdg"), "/nonexistent"),
              data.File("xdg") + "/Fennix");
}

}  // namespace
}  // namespace fennix
