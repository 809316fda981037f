#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QTemporaryDir>
#include <filesystem>
#include <set>

#include "model/ImageRelocation.h"
#include "model/MorphDocument.h"
#include "support/TestFolder.h"

namespace fennix {
namespace {

namespace fs = std::filesystem;
using test::NamesIn;

// A temporary folder with one prepared image, an image folder and the
// picture the image was prepared from.
class ImageRelocationTest : public testing::Test {
protected:
    void SetUp() override {
        fs::create_directory(temp);
        fs::create_directory(images);
        test::WriteFile(source, "picked");
        test::WriteFile(prepared, bytes);
    }
    test::TestFolder root;
    const std::string temp = root.File("temp");
    const std::string images = root.File("images");
    const std::string source = root.File("face.jpg");
    const std::string prepared = temp + "/temp_4711_0.bmp";
    const std::string bytes = std::string("BM") + std::string(5000, '\x7f');
};

TEST_F(ImageRelocationTest, MovesUnderTheFirstFreeNameAndNeverReplaces) {
    // A broken link and a file take the first two names; neither is written.
    fs::create_symlink(root.File("outside.bmp"), images + "/face_001.bmp");
    test::WriteFile(images + "/face_002.bmp", "taken");
    const auto moved = RelocateImage(prepared, temp, images, source);
    ASSERT_TRUE(moved);
    EXPECT_EQ(*moved, images + "/face_003.bmp");
    EXPECT_EQ(test::ReadFile(*moved), bytes);
    EXPECT_FALSE(fs::exists(prepared));
    EXPECT_FALSE(fs::exists(root.File("outside.bmp")));
    EXPECT_EQ(test::ReadFile(images + "/face_002.bmp"), "taken");
}

TEST_F(ImageRelocationTest, AnotherCopysImageIsCopiedAndStays) {
    const auto copied = RelocateImage(prepared, temp, images, source, false);
    ASSERT_TRUE(copied);
    EXPECT_EQ(*copied, images + "/face_001.bmp");
    EXPECT_EQ(test::ReadFile(*copied), bytes);
    EXPECT_EQ(test::ReadFile(prepared), bytes);
    // Nothing but the copy in the image folder: no scratch file is left.
    EXPECT_EQ(NamesIn(images), std::set<std::string>{"face_001.bmp"});
}

TEST_F(ImageRelocationTest, OlderNamesAreTemporaryToo) {
    const std::string older = temp + "/temp_0.bmp";
    test::WriteFile(older, bytes);
    EXPECT_TRUE(IsTemporaryImage(older, temp));
    EXPECT_TRUE(IsTemporaryImage(prepared, temp));
    EXPECT_FALSE(IsTemporaryImage(images + "/temp_0.bmp", temp));
    EXPECT_FALSE(IsTemporaryImage(temp + "/tmp_4711.bmp", temp));
    const auto moved = RelocateImage(older, temp, images, source);
    ASSERT_TRUE(moved);
    EXPECT_EQ(*moved, images + "/face_001.bmp");
}

TEST_F(ImageRelocationTest, AMissingImageFolderIsMade) {
    fs::remove(images);
    const auto moved = RelocateImage(prepared, temp, images, source);
    ASSERT_TRUE(moved);
    EXPECT_EQ(*moved, images + "/face_001.bmp");
    EXPECT_EQ(test::ReadFile(*moved), bytes);
}

// The document must then keep its path and not be saved.
TEST_F(ImageRelocationTest, FailuresLeaveTheImageWhereItIs) {
    // The image folder cannot be made: a file has its name.
    fs::remove(images);
    test::WriteFile(images, "in the way");
    EXPECT_FALSE(RelocateImage(prepared, temp, images, source));
    EXPECT_EQ(test::ReadFile(prepared), bytes);
    EXPECT_EQ(test::ReadFile(images), "in the way");
    EXPECT_EQ(NamesIn(root.Path()), (std::set<std::string>{"temp", "images", "face.jpg"}));
    EXPECT_FALSE(RelocateImage(prepared, temp, images, source, false));
    EXPECT_EQ(NamesIn(root.Path()), (std::set<std::string>{"temp", "images", "face.jpg"}));

    // The prepared image has gone.
    fs::remove(images);
    fs::remove(prepared);
    EXPECT_FALSE(RelocateImage(prepared, temp, images, source));

    // Images that are not prepared ones stay as they are, wherever they are.
    const std::string opened = root.File("saved_001.bmp");
    EXPECT_EQ(RelocateImage(opened, temp, images, source), opened);
    EXPECT_FALSE(fs::exists(images));
}

// Across file systems the image is copied through a scratch file and only
// then the original removed. /dev/shm is a file system of its own where
// there is one.
TEST_F(ImageRelocationTest, AcrossFileSystemsTheImageIsCopiedWhole) {
    QTemporaryDir other("/dev/shm/fennix-test-XXXXXX");
    if (!other.isValid()) GTEST_SKIP() << "no second file system";
    struct stat here {}, there {};
    ASSERT_EQ(stat(root.Path().c_str(), &here), 0);
    ASSERT_EQ(stat(other.path().toStdString().c_str(), &there), 0);
    if (here.st_dev == there.st_dev) GTEST_SKIP() << "no second file system";

    const std::string target = other.path().toStdString() + "/images";
    const auto moved = RelocateImage(prepared, temp, target, source);
    ASSERT_TRUE(moved);
    EXPECT_EQ(*moved, target + "/face_001.bmp");
    EXPECT_EQ(test::ReadFile(*moved), bytes);
    EXPECT_FALSE(fs::exists(prepared));
    EXPECT_EQ(NamesIn(target), std::set<std::string>{"face_001.bmp"});
}

// Before a save: the prepared image is relocated and the document follows
// it; an image from an opened project stays. A prepared image that has
// gone fails the whole and keeps its path.
TEST_F(ImageRelocationTest, DocumentImagesFollowTheirRelocation) {
    MorphDocument document;
    document.Matrix(1).ImagePath = prepared;
    document.SourcePath[0] = source;
    document.Matrix(2).ImagePath = source;
    EXPECT_TRUE(RelocateDocumentImages(document, temp, images));
    EXPECT_EQ(document.Matrix(1).ImagePath, images + "/face_001.bmp");
    EXPECT_EQ(document.Matrix(2).ImagePath, source);

    const std::string gone = temp + "/temp_4711_1.bmp";
    document.Matrix(2).ImagePath = gone;
    EXPECT_FALSE(RelocateDocumentImages(document, temp, images));
    EXPECT_EQ(document.Matrix(2).ImagePath, gone);
    EXPECT_EQ(document.Matrix(1).ImagePath, images + "/face_001.bmp");
}

}  // namespace
}  // namespace fennix
