#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "media/AviFrames.h"
#include "media/AviWriter.h"
#include "media/VideoDecoder.h"
#include "support/AviTestFiles.h"
#include "support/ScriptedPrompts.h"
#include "support/TestFolder.h"

namespace fennix {
namespace {

TEST(VideoDecoder, DecodesEveryFrameInOrderAndRewinds) {
    test::AppFolderScope app;
    test::ScopedPrompts prompts;
    test::TestFolder folder;
    test::WriteFrames(folder.Path(), 0, 2, 48, 32);
    std::vector<std::string> frames;
    for (const auto& name : ListFolderFiles(folder.Path(), kFramePatterns))
        frames.push_back(folder.File(name));
    const std::string avi = folder.File("clip.avi");
    ASSERT_EQ(CreateAviFile(frames, avi, 48, 32, 30,
                            [] { return std::optional<CompressorOptions>(CompressorOptions{}); }),
              AviOutcome::Written);

    VideoDecoder decoder;
    ASSERT_TRUE(decoder.Open(avi));
    EXPECT_FALSE(decoder.Open(avi));  // one file at a time
    EXPECT_EQ(decoder.Size(), QSize(48, 32));
    EXPECT_NEAR(decoder.FrameSeconds(), 1.0 / 30, 1e-9);
    std::vector<QImage> images;
    QImage image;
    double seconds = 0, last = -1;
    while (decoder.Next(image, seconds)) {
        EXPECT_GT(seconds, last);
        last = seconds;
        EXPECT_EQ(image.size(), QSize(48, 32));
        images.push_back(image);
    }
    ASSERT_EQ(images.size(), 3u);
    EXPECT_NE(images[0], images[1]);
    decoder.Rewind();
    ASSERT_TRUE(decoder.Next(image, seconds));
    EXPECT_EQ(image, images[0]);

    // A file without video opens nothing, and then decodes nothing.
    VideoDecoder none;
    test::WriteFile(folder.File("text.avi"), "RIFF but nothing more");
    EXPECT_FALSE(none.Open(folder.File("text.avi")));
    EXPECT_FALSE(none.Next(image, seconds));
}

}  // namespace
}  // namespace fennix
