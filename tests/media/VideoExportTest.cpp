#include <gtest/gtest.h>

#include <QFile>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "support/AviTestFiles.h"
#include "media/AviFrames.h"
#include "media/VideoExport.h"
#include "support/SmallDisk.h"
#include "support/TestFolder.h"

namespace fennix {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> FramePaths(const std::string& folder) {
    std::vector<std::string> paths;
    for (const std::string& name : ListFolderFiles(folder, kFramePatterns))
        paths.push_back(folder + "/" + name);
    return paths;
}

VideoOptions Options(VideoFormat format, int width, int height) {
    VideoOptions options;
    options.Format = format;
    options.Width = width;
    options.Height = height;
    return options;
}

// The offset of a top-level MP4 box, or -1.
qsizetype BoxOffset(const std::string& path, const char* type) {
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly)) return -1;
    const QByteArray bytes = file.readAll();
    for (qsizetype at = 0; at + 8 <= bytes.size();) {
        if (bytes.mid(at + 4, 4) == type) return at;
        const auto size = static_cast<quint32>(
            static_cast<uchar>(bytes[at]) << 24 | static_cast<uchar>(bytes[at + 1]) << 16 |
            static_cast<uchar>(bytes[at + 2]) << 8 | static_cast<uchar>(bytes[at + 3]));
        if (size < 8) return -1;
        at += size;
    }
    return -1;
}

class VideoExportTest : public testing::Test {
  protected:
    test::TestFolder frames, out;
};

TEST(VideoExportLogic, FormatsOrderSizesAndPictures) {
    EXPECT_EQ(VideoFormatOfPath("/a/b.MP4"), VideoFormat::Mp4);
    EXPECT_EQ(VideoFormatOfPath("x.webm"), VideoFormat::WebM);
    EXPECT_EQ(VideoFormatOfPath("x.gif"), VideoFormat::Gif);
    EXPECT_EQ(VideoFormatOfPath("x.avi"), std::nullopt);
    EXPECT_EQ(VideoFormatOfPath("mp4"), std::nullopt);
    EXPECT_EQ(VideoFormatOfPath("a.gif/movie"), std::nullopt);

    EXPECT_EQ(VideoFrameOrder(4, false), (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(VideoFrameOrder(4, true), (std::vector<int>{0, 1, 2, 3, 2, 1}));
    EXPECT_EQ(VideoFrameOrder(2, true), (std::vector<int>{0, 1}));
    EXPECT_EQ(VideoFrameOrder(1, true), (std::vector<int>{0}));

    EXPECT_EQ(EncodedVideoSize(VideoFormat::Mp4, 333, 217), QSize(334, 218));
    EXPECT_EQ(EncodedVideoSize(VideoFormat::Mp4, 1, 1), QSize(2, 2));
    EXPECT_EQ(EncodedVideoSize(VideoFormat::WebM, 333, 217), QSize(333, 217));
    EXPECT_EQ(EncodedVideoSize(VideoFormat::Gif, 1, 1), QSize(1, 1));

    // Sizes that play everywhere: shape kept, never enlarged.
    struct SizeCase {
        VideoFormat format;
        QSize frames, video;
    } sizes[] = {
        {VideoFormat::Mp4, {4000, 3000}, {1440, 1080}},
        {VideoFormat::WebM, {4000, 3000}, {1440, 1080}},
        {VideoFormat::Mp4, {3000, 4000}, {1080, 1440}},  // upright
        {VideoFormat::Mp4, {7680, 4320}, {1920, 1080}},
        {VideoFormat::Mp4, {1921, 1081}, {1918, 1080}},  // even sides
        {VideoFormat::Mp4, {1280, 720}, {1280, 720}},
        {VideoFormat::Mp4, {333, 217}, {333, 217}},
        {VideoFormat::Gif, {4000, 3000}, {640, 480}},
        {VideoFormat::Gif, {641, 1}, {640, 1}},
        {VideoFormat::Gif, {200, 900}, {200, 900}},
    };
    for (const SizeCase& c : sizes)
        EXPECT_EQ(DefaultVideoSize(c.format, c.frames), c.video)
            << c.frames.width() << "x" << c.frames.height();

    // The extra column and row repeat the last ones.
    const QImage source = test::FramePicture(3, 3, 1);
    const QImage grown = VideoPicture(source, 3, 3, QSize(4, 4));
    ASSERT_EQ(grown.size(), QSize(4, 4));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(grown.pixel(x, y), source.pixel(std::min(x, 2), std::min(y, 2)));
    EXPECT_EQ(VideoPicture(source, 3, 3, QSize(3, 3)).pixel(2, 2), source.pixel(2, 2));
    EXPECT_TRUE(VideoPicture(source, 0, 3, QSize(2, 4)).isNull());
    EXPECT_TRUE(VideoPicture(QImage(), 3, 3, QSize(4, 4)).isNull());
}

// Each format as a browser takes it, read back by ffprobe.
TEST_F(VideoExportTest, EachFormatDecodesWithItsCodecSizeRateAndFrames) {
    SKIP_WITHOUT_FFPROBE();
    test::WriteFrames(frames.Path(), 0, 5, 64, 48);
    struct Case {
        VideoFormat format;
        const char* codec;
        const char* pixels;
    };
    for (const Case& c :
         {Case{VideoFormat::Mp4, "h264", "yuv420p"}, Case{VideoFormat::WebM, "vp9", "yuv420p"},
          Case{VideoFormat::Gif, "gif", "bgra"}}) {
        const std::string path = out.File(std::string("movie.") + VideoExtension(c.format));
        int steps = 0, total = 0;
        const VideoResult result = ExportVideo(FramePaths(frames.Path()), path,
                                               Options(c.format, 64, 48), [&](int done, int all) {
                                                   EXPECT_EQ(done, steps + 1);
                                                   steps = done;
                                                   total = all;
                                                   return true;
                                               });
        ASSERT_EQ(result.Outcome, VideoOutcome::Written) << result.Reason;
        EXPECT_EQ(steps, total);
        EXPECT_EQ(total, c.format == VideoFormat::Gif ? 12 : 6);  // the GIF's two passes
        const auto video = test::ProbeVideo(path);
        EXPECT_EQ(video.at("codec_name"), c.codec);
        EXPECT_EQ(video.at("pix_fmt"), c.pixels);
        EXPECT_EQ(video.at("width"), "64");
        EXPECT_EQ(video.at("height"), "48");
        EXPECT_EQ(video.at("nb_read_frames"), "6");
        EXPECT_EQ(video.at("r_frame_rate"), "20/1");
        if (c.format == VideoFormat::Mp4) {
            EXPECT_EQ(video.at("profile"), "High");
            // The index comes before the pictures, so playing starts at once.
            const qsizetype moov = BoxOffset(path, "moov"), mdat = BoxOffset(path, "mdat");
            ASSERT_GE(moov, 0);
            EXPECT_LT(moov, mdat);
        }
        if (c.format == VideoFormat::Gif) {
            // The loop block: NETSCAPE2.0 with a count of 0, for ever.
            const std::string bytes = test::ReadFile(path);
            const size_t loop = bytes.find("NETSCAPE2.0");
            ASSERT_NE(loop, std::string::npos);
            EXPECT_EQ(bytes.substr(loop + 13, 2), std::string(2, '\0'));
        }
    }
    // Nothing but the three videos.
    EXPECT_EQ(test::ListNames(out.Path()), "movie.gif movie.mp4 movie.webm");
}

// Forward then back: 0 1 2 3 4 3 2 1, seen in the decoded pictures' grey.
TEST_F(VideoExportTest, PingPongPlaysForwardThenBackWithoutRepeatingTheEnds) {
    SKIP_WITHOUT_FFPROBE();
    for (int k = 0; k < 5; ++k) {
        QImage flat(32, 32, QImage::Format_RGB32);
        flat.fill(qRgb(k * 50, k * 50, k * 50));
        flat.save(QString::fromStdString(frames.File("00" + std::to_string(k) + ".bmp")));
    }
    for (VideoFormat format : {VideoFormat::Mp4, VideoFormat::WebM, VideoFormat::Gif}) {
        const std::string path = out.File(std::string("loop.") + VideoExtension(format));
        VideoOptions options = Options(format, 32, 32);
        options.PingPong = true;
        options.Rate = 60;
        options.Quality = VideoQuality::High;
        ASSERT_EQ(ExportVideo(FramePaths(frames.Path()), path, options).Outcome,
                  VideoOutcome::Written);
        const auto video = test::ProbeVideo(path);
        EXPECT_EQ(video.at("nb_read_frames"), "8");
        EXPECT_EQ(video.at("r_frame_rate"), format == VideoFormat::Gif ? "50/1" : "60/1");
        const QByteArray pixels = test::DecodeBgr24(path);
        ASSERT_EQ(pixels.size(), 8 * 32 * 32 * 3);
        const int expected[] = {0, 1, 2, 3, 4, 3, 2, 1};
        for (int i = 0; i < 8; ++i) {
            const int grey = static_cast<uchar>(pixels[i * 32 * 32 * 3 + 16 * 32 * 3 + 16 * 3]);
            EXPECT_NEAR(grey, expected[i] * 50, 6) << VideoExtension(format) << " frame " << i;
        }
    }
}

// Sizes the encoders are picky about, and a folder of JPEG frames only.
TEST_F(VideoExportTest, OddTinyAndScaledSizesFromJpegFrames) {
    SKIP_WITHOUT_FFPROBE();
    test::WriteFrames(frames.Path(), 0, 2, 100, 80, ".jpg");
    struct Case {
        VideoFormat format;
        int width, height;
        const char* encodedWidth;
        const char* encodedHeight;
    };
    for (const Case& c :
         {Case{VideoFormat::Mp4, 333, 217, "334", "218"},
          Case{VideoFormat::WebM, 333, 217, "333", "217"},
          Case{VideoFormat::Gif, 333, 217, "333", "217"}, Case{VideoFormat::Mp4, 1, 1, "2", "2"},
          Case{VideoFormat::WebM, 1, 1, "1", "1"}, Case{VideoFormat::Gif, 1, 1, "1", "1"}}) {
        const std::string path = out.File(std::string("odd.") + VideoExtension(c.format));
        const VideoResult result =
            ExportVideo(FramePaths(frames.Path()), path, Options(c.format, c.width, c.height));
        ASSERT_EQ(result.Outcome, VideoOutcome::Written) << result.Reason;
        const auto video = test::ProbeVideo(path);
        EXPECT_EQ(video.at("width"), c.encodedWidth) << path;
        EXPECT_EQ(video.at("height"), c.encodedHeight) << path;
        EXPECT_EQ(video.at("nb_read_frames"), "3") << path;
    }
}

TEST_F(VideoExportTest, StopMidwayKeepsTheOldFileAndLeavesNothingElse) {
    test::WriteFrames(frames.Path(), 0, 9, 64, 48);
    for (VideoFormat format : {VideoFormat::Mp4, VideoFormat::Gif}) {
        const std::string path = out.File(std::string("old.") + VideoExtension(format));
        test::WriteFile(path, "an older video");
        const VideoResult result =
            ExportVideo(FramePaths(frames.Path()), path, Options(format, 64, 48),
                        [](int done, int) { return done < 3; });
        EXPECT_EQ(result.Outcome, VideoOutcome::Stopped);
        EXPECT_EQ(test::ReadFile(path), "an older video");
        EXPECT_EQ(VideoFailureMessage(result), "");
    }
    EXPECT_EQ(test::ListNames(out.Path()), "old.gif old.mp4");
}

// The resident memory of this process, in bytes.
int64_t ResidentBytes() {
    std::ifstream statm("/proc/self/statm");
    int64_t size = 0, resident = 0;
    statm >> size >> resident;
    return resident * sysconf(_SC_PAGESIZE);
}

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kAddressSanitizer = true;
#else
constexpr bool kAddressSanitizer = false;
#endif
#else
constexpr bool kAddressSanitizer = false;
#endif

// A GIF's first pass (the palette's statistics) takes each frame in as it
// is read: asked to stop at any step of either pass, the export stops
// right there, and the pass does not keep the frames it has counted.
TEST_F(VideoExportTest, AGifStopsAtTheStepAskedAndThePalettePassKeepsNoFrame) {
    constexpr int kCount = 24, kWidth = 640, kHeight = 480;
    // Two pictures in turn: after the second, the palette's statistics
    // meet no new colour and have no reason to grow.
    for (int k = 0; k < kCount; ++k) {
        char name[16];
        std::snprintf(name, sizeof name, "%03d.bmp", k);
        test::FramePicture(kWidth, kHeight, k % 2).save(QString::fromStdString(frames.File(name)));
    }
    const std::vector<std::string> list = FramePaths(frames.Path());
    ASSERT_EQ(list.size(), size_t{kCount});
    // The step after which the export is asked to stop: the palette pass's
    // first, middle and last frame, then the second pass.
    for (const int stop : {1, kCount / 2, kCount, kCount + 2}) {
        int calls = 0, lastDone = 0;
        int64_t early = 0, late = 0;
        const VideoResult result = ExportVideo(
            list, out.File("stopped.gif"), Options(VideoFormat::Gif, kWidth, kHeight),
            [&](int done, int total) {
                ++calls;
                lastDone = done;
                EXPECT_EQ(total, 2 * kCount);
                if (done == 3) early = ResidentBytes();
                if (done == kCount) late = ResidentBytes();
                return done < stop;
            });
        EXPECT_EQ(result.Outcome, VideoOutcome::Stopped) << stop;
        EXPECT_EQ(calls, stop);
        EXPECT_EQ(lastDone, stop);
        EXPECT_EQ(test::ListNames(out.Path()), "") << stop;
        // Kept frames would be 1.2 MB each: 21 of them 25 MB. (The
        // address sanitizer holds freed memory back on purpose.)
        if (stop == kCount && !kAddressSanitizer) {
            EXPECT_LT(late - early, int64_t{kWidth} * kHeight * 4 * (kCount - 3) / 3);
        }
    }
}

TEST_F(VideoExportTest, FailuresSayWhyAndLeaveNoFile) {
    test::WriteFrames(frames.Path(), 0, 3, 64, 48);
    const std::vector<std::string> list = FramePaths(frames.Path());
    const std::string failed = "動画ファイルの作成は失敗しました!\n";

    // A folder that cannot exist: its parent is a regular file.
    test::WriteFile(out.File("file"), "x");
    VideoResult result =
        ExportVideo(list, out.File("file/movie.mp4"), Options(VideoFormat::Mp4, 64, 48));
    EXPECT_EQ(result.Outcome, VideoOutcome::WriteFailed);
    EXPECT_EQ(result.ErrorNumber, ENOTDIR);
    EXPECT_EQ(VideoFailureMessage(result), failed + "保存先のフォルダが見つかりません。");

    // The output is one of the frames: nothing is touched.
    const std::string before = test::ReadFile(list[1]);
    result = ExportVideo(list, list[1], Options(VideoFormat::Gif, 64, 48));
    EXPECT_EQ(result.Outcome, VideoOutcome::OutputIsFrame);
    EXPECT_EQ(test::ReadFile(list[1]), before);

    // A broken frame names itself.
    test::WriteFile(frames.File("002.bmp"), "broken");
    result = ExportVideo(list, out.File("broken.webm"), Options(VideoFormat::WebM, 64, 48));
    EXPECT_EQ(result.Outcome, VideoOutcome::LoadFailed);
    EXPECT_EQ(result.Frame, list[2]);
    EXPECT_EQ(VideoFailureMessage(result), "画像ファイルのロードで失敗しました!\n" + list[2]);

    EXPECT_EQ(ExportVideo({}, out.File("none.mp4"), Options(VideoFormat::Mp4, 8, 8)).Outcome,
              VideoOutcome::NoFrames);
    EXPECT_EQ(
        ExportVideo(list, out.File("big.mp4"), Options(VideoFormat::Mp4, 32767, 32767)).Outcome,
        VideoOutcome::BadSize);
    EXPECT_EQ(test::ListNames(out.Path()), "file");
}

TEST_F(VideoExportTest, AFullDiskFailsWithItsReasonAndLeavesNoFile) {
    test::SmallDisk disk(256 * 1024);
    if (!disk.Mounted()) GTEST_SKIP() << "no tmpfs can be mounted here";
    // Noise does not compress: a few frames are more than the disk holds.
    for (int k = 0; k < 8; ++k) {
        QImage noise(320, 240, QImage::Format_RGB32);
        uint32_t seed = 12345u + static_cast<uint32_t>(k);
        for (int y = 0; y < 240; ++y)
            for (int x = 0; x < 320; ++x) {
                seed = seed * 1664525u + 1013904223u;
                noise.setPixel(x, y, seed >> 8);
            }
        noise.save(QString::fromStdString(frames.File("00" + std::to_string(k) + ".bmp")));
    }
    for (VideoFormat format : {VideoFormat::Mp4, VideoFormat::WebM, VideoFormat::Gif}) {
        VideoOptions options = Options(format, 320, 240);
        options.Quality = VideoQuality::High;
        const VideoResult result =
            ExportVideo(FramePaths(frames.Path()),
                        disk.File(std::string("full.") + VideoExtension(format)), options);
        EXPECT_EQ(result.Outcome, VideoOutcome::WriteFailed) << VideoExtension(format);
        EXPECT_EQ(result.ErrorNumber, ENOSPC) << result.Reason;
        EXPECT_EQ(VideoFailureMessage(result),
                  "動画ファイルの作成は失敗しました!\nディスクの空き容量が足りません。");
        EXPECT_TRUE(fs::is_empty(disk.Path()));
    }
}

}  // namespace
}  // namespace fennix
