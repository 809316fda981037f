#include <gtest/gtest.h>

#include <filesystem>

#include "platform/Profile.h"
#include "support/TestFolder.h"

namespace fennix {
namespace {

TEST(Profile, MissingFileSectionOrKeyReadsEmpty) {
    test::TestFolder folder;
    const std::string file = folder.File("a.ini");
    EXPECT_EQ(Profile::Read(file, "Section", "k"), "");
    test::WriteFile(file, "[Other]\nk=1\n");
    EXPECT_EQ(Profile::Read(file, "Section", "k"), "");
    EXPECT_EQ(Profile::Read(file, "Other", "missing"), "");
}

TEST(Profile, NamesMatchWithoutCaseAndBlanksAreTrimmed) {
    test::TestFolder folder;
    const std::string file = folder.File("a.ini");
    test::WriteFile(file, "; comment\r\n[ section ]\r\n  Key  =  some value  \r\nnoequals\r\n");
    EXPECT_EQ(Profile::Read(file, "SECTION", "key"), "some value");
}

TEST(Profile, WriteReplacesInPlaceAppendsAndKeepsEverythingElse) {
    test::TestFolder folder;
    const std::string file = folder.File("a.ini");
    test::WriteFile(file, "[First]\na=1\n\n[Section]\nb=2\nc=3\n\n[Last]\nd=4\n");

    ASSERT_TRUE(Profile::Write(file, "section", "C", "30"));
    ASSERT_TRUE(Profile::Write(file, "Section", "e", "5"));
    ASSERT_TRUE(Profile::Write(file, "New", "f", "6"));
    EXPECT_EQ(test::ReadFile(file),
              "[First]\na=1\n\n[Section]\nb=2\nC=30\ne=5\n\n[Last]\nd=4\n[New]\nf=6\n");
}

TEST(Profile, WriteCreatesTheFileAndKeepsCrLfFiles) {
    test::TestFolder folder;
    const std::string file = folder.File("new.ini");
    ASSERT_TRUE(Profile::Write(file, "Section", "総フレーム数", " 20"));
    EXPECT_EQ(test::ReadFile(file), "[Section]\n総フレーム数= 20\n");
    EXPECT_EQ(Profile::Read(file, "Section", "総フレーム数"), "20");

    const std::string crlf = folder.File("crlf.ini");
    test::WriteFile(crlf, "[Section]\r\na=1\r\n");
    ASSERT_TRUE(Profile::Write(crlf, "Section", "b", "2"));
    EXPECT_EQ(test::ReadFile(crlf), "[Section]\r\na=1\r\nb=2\r\n");
}

TEST(Profile, LongValuesReadBackWhole) {
    test::TestFolder folder;
    const std::string file = folder.File("a.ini");
    const std::string value = "/home/user/" + std::string(300, 'x');
    ASSERT_TRUE(Profile::Write(file, "Section", "path", value));
    EXPECT_EQ(Profile::Read(file, "Section", "path"), value);
}

TEST(Profile, FailedWriteLeavesNoFileBehind) {
    test::TestFolder folder;
    EXPECT_FALSE(Profile::Write(folder.File("no/such/folder/a.ini"), "Section", "a", "1"));

    // A read-only settings file stays as it is, though its folder is
    // writable.
    const std::string file = folder.File("kept.ini");
    test::WriteFile(file, "[Section]\na=1\n");
    std::filesystem::permissions(file, std::filesystem::perms::owner_read |
                                           std::filesystem::perms::group_read |
                                           std::filesystem::perms::others_read);
    EXPECT_FALSE(Profile::Write(file, "Section", "a", "2"));
    EXPECT_EQ(test::ReadFile(file), "[Section]\na=1\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()),
                            std::filesystem::directory_iterator()),
              1);
}

}  // namespace
}  // namespace fennix
