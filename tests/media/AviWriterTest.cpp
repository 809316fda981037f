#include <gtest/gtest.h>

#include <filesystem>

#include "support/AviTestFiles.h"
#include "media/AviFrames.h"
#include "media/AviWriter.h"
#include "media/ImageFile.h"
#include "support/ScriptedPrompts.h"
#include "support/TestFolder.h"

namespace fennix {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> FullPaths(const std::string& folder, const std::string& patterns) {
    std::vector<std::string> paths;
    for (const auto& name : ListFolderFiles(folder, patterns)) paths.push_back(folder + "/" + name);
    return paths;
}

CompressorChooser Choose(const std::string& name) {
    return [name]() -> std::optional<CompressorOptions> {
        CompressorOptions options;
        options.Name = name;
        return options;
    };
}

class AviWriterTest : public testing::Test {
  protected:
    AviOutcome Create(int width, int height, int rate, const std::string& codec = "none") {
        return CreateAviFile(FullPaths(frames.Path(), kFramePatterns), Output(), width, height,
                             rate, Choose(codec));
    }
    std::string Output() const { return out.File("movie.avi"); }

    test::TestFolder frames, out, scratch;
    test::ScopedPrompts prompts;
};

TEST(AviFrameListTest, TakesEveryMatchingFileInNameOrder) {
    test::TestFolder folder;
    for (const char* name : {"101.bmp", "1000.bmp", "100.bmp", "099.JPG", "extra.jpg", "notes.txt",
                             "movie.avi", "002.png"})
        test::WriteFile(folder.File(name), "x");
    fs::create_directory(folder.File("sub.bmp"));
    EXPECT_EQ(ListFolderFiles(folder.Path(), kFramePatterns),
              (std::vector<std::string>{"099.JPG", "100.bmp", "1000.bmp", "101.bmp", "extra.jpg"}));
    EXPECT_EQ(ListFolderFiles(folder.Path(), kAviPatterns), std::vector<std::string>{"movie.avi"});
    EXPECT_TRUE(ListFolderFiles(folder.File("missing"), kFramePatterns).empty());

    EXPECT_FALSE(HasFirstFrame(folder.Path()));
    test::WriteFile(folder.File("000.jpg"), "x");
    EXPECT_TRUE(HasFirstFrame(folder.Path()));
}

TEST(AviFrameListTest, NamesThatAreNotUtf8AreListedAsTheirBytes) {
    test::TestFolder top;
    const std::string folder = top.File("images_\xE9t\xE9");
    fs::create_directory(folder);
    for (const char* name : {"001.bmp", "000.bmp", "\xE9t\xE9.JPG", "na\xEFve.txt"})
        test::WriteFile(folder + "/" + name, "x");
    EXPECT_EQ(ListFolderFiles(folder, kFramePatterns),
              (std::vector<std::string>{"000.bmp", "001.bmp", "\xE9t\xE9.JPG"}));
    EXPECT_TRUE(HasFirstFrame(folder));
}

TEST(AviFrameListTest, FieldsRatesAndPreviewSizes) {
    EXPECT_EQ(FieldToInt16("20"), 20);
    EXPECT_EQ(FieldToInt16(" 2.5"), 2);
    EXPECT_EQ(FieldToInt16("3.5"), 4);
    EXPECT_EQ(FieldToInt16("-32768"), -32768);
    EXPECT_EQ(FieldToInt16("32768"), std::nullopt);
    EXPECT_EQ(FieldToInt16("abc"), std::nullopt);
    EXPECT_EQ(FieldToInt16(""), std::nullopt);
    EXPECT_EQ(ClampFrameRate(0), 1);
    EXPECT_EQ(ClampFrameRate(60), 30);
    EXPECT_EQ(ClampFrameRate(20), 20);

    EXPECT_EQ(PreviewSize(200, 100), QSizeF(93, 46.5));
    EXPECT_EQ(PreviewPixels(200, 100), QSize(93, 46));
    EXPECT_EQ(PreviewSize(100, 200), QSizeF(46.5, 93));
    EXPECT_EQ(PreviewPixels(100, 200), QSize(46, 93));
    EXPECT_EQ(PreviewPixels(50, 50), QSize(93, 93));
}

TEST_F(AviWriterTest, TwentyFramesAtTheDefaultRate) {
    SKIP_WITHOUT_FFPROBE();
    test::WriteFrames(frames.Path(), 0, 19, 64, 48);
    ASSERT_EQ(Create(64, 48, 20), AviOutcome::Written);
    const auto video = test::ProbeVideo(Output());
    EXPECT_EQ(video.at("codec_name"), "rawvideo");
    EXPECT_EQ(video.at("nb_read_frames"), "20");
    EXPECT_EQ(video.at("r_frame_rate"), "20/1");
    EXPECT_EQ(video.at("width"), "64");
    EXPECT_EQ(video.at("height"), "48");
    EXPECT_TRUE(prompts->shown.empty());
}

TEST_F(AviWriterTest, ExtraImageIsAFrameAndRatesAreClamped) {
    SKIP_WITHOUT_FFPROBE();
    test::WriteFrames(frames.Path(), 0, 2, 32, 32);
    test::FramePicture(32, 32, 9).save(QString::fromStdString(frames.File("zz.jpg")));
    ASSERT_EQ(Create(32, 32, 0), AviOutcome::Written);
    auto video = test::ProbeVideo(Output());
    EXPECT_EQ(video.at("nb_read_frames"), "4");
    EXPECT_EQ(video.at("r_frame_rate"), "1/1");

    ASSERT_EQ(Create(32, 32, 60), AviOutcome::Written);
    video = test::ProbeVideo(Output());
    EXPECT_EQ(video.at("r_frame_rate"), "30/1");
}

TEST_F(AviWriterTest, UncompressedFramesDecodeToTheStretchedSources) {
    SKIP_WITHOUT_FFPROBE();
    // 1000 lies between 100 and 101 in the list, so it is the second frame.
    test::FramePicture(64, 48, 1).save(QString::fromStdString(frames.File("100.bmp")));
    test::FramePicture(64, 48, 2).save(QString::fromStdString(frames.File("1000.bmp")));
    test::FramePicture(64, 48, 3).save(QString::fromStdString(frames.File("101.bmp")));
    for (const QSize size : {QSize(32, 24), QSize(10, 30), QSize(46, 20)}) {
        ASSERT_EQ(Create(size.width(), size.height(), 20), AviOutcome::Written);
        QByteArray expected;
        for (const int k : {1, 2, 3})
            expected += test::Bgr24(
                StretchFrame(test::FramePicture(64, 48, k), size.width(), size.height()));
        const auto video = test::ProbeVideo(Output());
        EXPECT_EQ(video.at("width"), std::to_string(size.width()));
        EXPECT_EQ(video.at("height"), std::to_string(size.height()));
        EXPECT_EQ(test::DecodeBgr24(Output()), expected) << size.width() << "x" << size.height();
    }
}

TEST_F(AviWriterTest, ScalesDownAndStretches) {
    SKIP_WITHOUT_FFPROBE();
    test::WriteFrames(frames.Path(), 0, 1, 640, 480);
    ASSERT_EQ(Create(320, 240, 20), AviOutcome::Written);
    auto video = test::ProbeVideo(Output());
    EXPECT_EQ(video.at("width"), "320");
    EXPECT_EQ(video.at("height"), "240");

    fs::remove_all(frames.Path());
    fs::create_directory(frames.Path());
    test::WriteFrames(frames.Path(), 0, 1, 200, 200);
    ASSERT_EQ(Create(100, 300, 20), AviOutcome::Written);
    video = test::ProbeVideo(Output());
    EXPECT_EQ(video.at("width"), "100");
    EXPECT_EQ(video.at("height"), "300");
    const QByteArray decoded = test::DecodeBgr24(Output());
    EXPECT_EQ(decoded.left(100 * 300 * 3),
              test::Bgr24(StretchFrame(test::FramePicture(200, 200, 0), 100, 300)));
}

TEST_F(AviWriterTest, FramesWithLatin1NamesInALatin1FolderAreWritten) {
    SKIP_WITHOUT_FFPROBE();
    // Written under plain names, then given names that are not UTF-8.
    const std::string plain = frames.File("plain");
    const std::string latin = frames.File("d\xE9j\xE0");
    fs::create_directory(plain);
    test::WriteFrames(plain, 0, 2, 32, 24);
    fs::rename(plain + "/002.bmp", plain + "/\xE9t\xE9.bmp");
    fs::rename(plain, latin);
    const auto paths = FullPaths(latin, kFramePatterns);
    ASSERT_EQ(paths.size(), 3u);
    ASSERT_EQ(CreateAviFile(paths, Output(), 32, 24, 20, Choose("none")),
              AviOutcome::Written);
    EXPECT_EQ(test::ProbeVideo(Output()).at("nb_read_frames"), "3");
    QByteArray expected;
    for (int k = 0; k < 3; ++k) expected += test::Bgr24(test::FramePicture(32, 24, k));
    EXPECT_EQ(test::DecodeBgr24(Output()), expected);
}

// Frames that are plain 24-bit bitmaps of the output size are taken from
// the file as they stand, anything else is decoded: the video is the same
// bytes either way, even with stray bytes in the row padding.
TEST_F(AviWriterTest, PlainBitmapsGiveTheSameVideoAsDecodedPictures) {
    std::vector<std::string> bitmaps, pictures;
    for (int k = 0; k < 3; ++k) {
        const QImage picture = test::FramePicture(33, 21, k);
        const std::string name = frames.File(std::to_string(k));
        ASSERT_TRUE(picture.save(QString::fromStdString(name + ".png")));
        ASSERT_TRUE(picture.save(QString::fromStdString(name + ".bmp")));
        pictures.push_back(name + ".png");
        bitmaps.push_back(name + ".bmp");
    }
    {
        // 33 pixels of 3 bytes: each row ends in 1 byte of padding.
        std::string bytes = test::ReadFile(bitmaps[1]);
        ASSERT_EQ(bytes.size(), 54u + 100 * 21);
        for (int y = 0; y < 21; ++y) bytes[54 + 100 * y + 99] = '\x7f';
        test::WriteFile(bitmaps[1], bytes);
    }
    for (const char* codec : {"none", "mpeg4"}) {
        SCOPED_TRACE(codec);
        const std::string fromBitmaps = out.File("bitmaps.avi"), fromPictures = out.File("pictures.avi");
        ASSERT_EQ(CreateAviFile(bitmaps, fromBitmaps, 33, 21, 20, Choose(codec)), AviOutcome::Written);
        ASSERT_EQ(CreateAviFile(pictures, fromPictures, 33, 21, 20, Choose(codec)), AviOutcome::Written);
        EXPECT_EQ(test::ReadFile(fromBitmaps), test::ReadFile(fromPictures));
    }
}

TEST_F(AviWriterTest, JpegFramesOnly) {
    SKIP_WITHOUT_FFPROBE();
    test::WriteFrames(frames.Path(), 0, 0, 48, 32, ".jpg");
    ASSERT_EQ(Create(48, 32, 20), AviOutcome::Written);
    const auto video = test::ProbeVideo(Output());
    EXPECT_EQ(video.at("nb_read_frames"), "1");
    // The JPEG was decoded and stored as a bitmap before it was written.
    const auto decodedJpeg = LoadImageFile(frames.File("000.jpg"));
    ASSERT_TRUE(decodedJpeg);
    EXPECT_EQ(test::DecodeBgr24(Output()), test::Bgr24(*decodedJpeg));
}

TEST_F(AviWriterTest, EveryInstalledCompressorWritesAPlayableFile) {
    SKIP_WITHOUT_FFPROBE();
    test::WriteFrames(frames.Path(), 0, 4, 64, 48);
    const std::map<std::string, std::string> codecNames = {
        {"none", "rawvideo"},   {"msvideo1", "msvideo1"}, {"cinepak", "cinepak"},
        {"mjpeg", "mjpeg"},     {"mpeg4", "mpeg4"},       {"h264", "h264"},
        {"huffyuv", "huffyuv"}, {"utvideo", "utvideo"},   {"ffv1", "ffv1"}};
    const auto compressors = AvailableCompressors();
    ASSERT_FALSE(compressors.empty());
    EXPECT_EQ(compressors.front().Name, "none");
    for (const auto& compressor : compressors) {
        SCOPED_TRACE(compressor.Name);
        ASSERT_EQ(Create(64, 48, 10, compressor.Name), AviOutcome::Written);
        const auto video = test::ProbeVideo(Output());
        EXPECT_EQ(video.at("codec_name"), codecNames.at(compressor.Name));
        EXPECT_EQ(video.at("nb_read_frames"), "5");
        EXPECT_EQ(video.at("r_frame_rate"), "10/1");
    }
}

TEST_F(AviWriterTest, FailuresLeaveNoFileBehind) {
    test::WriteFrames(frames.Path(), 0, 1, 32, 32);
    // Cancelled compressor choice.
    EXPECT_EQ(CreateAviFile(FullPaths(frames.Path(), kFramePatterns), Output(), 32, 32, 20,
                            [] { return std::optional<CompressorOptions>(); }),
              AviOutcome::Cancelled);
    EXPECT_FALSE(fs::exists(Output()));

    // An encoder that cannot take the size (Microsoft Video 1 needs multiples of 4).
    if (FindCompressor("msvideo1")) {
        EXPECT_EQ(Create(30, 30, 20, "msvideo1"), AviOutcome::Failed);
        EXPECT_FALSE(fs::exists(Output()));
    }

    // An undecodable frame.
    test::WriteFile(frames.File("001.bmp"), "not a picture");
    EXPECT_EQ(Create(32, 32, 20), AviOutcome::LoadFailed);
    EXPECT_FALSE(fs::exists(Output()));

    // An output size far beyond any frame (32000 typed for 320) is refused
    // before a frame of that size is made: no video and no scratch bitmap
    // of gigabytes.
    EXPECT_TRUE(FrameSizeAllowed(8192, 8192));
    EXPECT_FALSE(FrameSizeAllowed(8193, 8192));
    EXPECT_FALSE(FrameSizeAllowed(32767, 32767));
    EXPECT_TRUE(StretchFrame(test::FramePicture(32, 32, 0), 32000, 24000).isNull());
    fs::remove(frames.File("001.bmp"));
    EXPECT_EQ(Create(32000, 24000, 20), AviOutcome::LoadFailed);
    EXPECT_FALSE(fs::exists(Output()));
    EXPECT_FALSE(fs::exists(scratch.File("AVI_Temp.bmp")));

    // A zero output size, no frames, an output folder that does not exist.
    EXPECT_EQ(Create(0, 32, 20), AviOutcome::LoadFailed);
    EXPECT_EQ(CreateAviFile({}, Output(), 32, 32, 20, Choose("none")),
              AviOutcome::LoadFailed);
    EXPECT_EQ(CreateAviFile(FullPaths(frames.Path(), kFramePatterns), out.File("no/such.avi"), 32,
                            32, 20, Choose("none")),
              AviOutcome::Failed);
    EXPECT_FALSE(fs::exists(Output()));
    EXPECT_TRUE(prompts->shown.empty());
}

}  // namespace
}  // namespace fennix
