#include <gtest/gtest.h>

#include "model/RunSpace.h"
#include "support/SmallDisk.h"

namespace fennix {
namespace {

TEST(RunSpace, FrameBytesAndSizesForMessages) {
    EXPECT_EQ(FrameFileBytes(3, 2, 0), 54u + 12 * 2);   // rows padded to 4 bytes
    EXPECT_EQ(FrameFileBytes(4, 2, 0), 54u + 12 * 2);
    EXPECT_EQ(FrameFileBytes(1920, 1080, 0), 54u + 5760 * 1080);
    EXPECT_EQ(FrameFileBytes(1920, 1080, 1), (54u + 5760 * 1080) / 10);
    EXPECT_EQ(FrameFileBytes(0, 1080, 0), 0u);
    const struct {
        uint64_t bytes;
        const char* text;
    } sizes[] = {
        {0, "0 MB"}, {(512u << 20) + 7, "512 MB"}, {uint64_t{1} << 30, "1.0 GB"},
        {(uint64_t{18} << 30) + (uint64_t{3} << 30) / 10 + 5, "18.3 GB"},
        {(uint64_t{2} << 30) - 1, "1.9 GB"},
    };
    for (const auto& s : sizes) EXPECT_EQ(SizeText(s.bytes), s.text) << s.bytes;
}

TEST(RunSpace, AShortageIsToldOnlyWhenTheFramesWouldNotFit) {
    test::SmallDisk disk(1 << 20);
    if (!disk.Mounted()) GTEST_SKIP() << "mounting a small file system needs root";
    EXPECT_FALSE(RunSpaceShortage(disk.Path(), 100 << 10));
    const auto space = RunSpaceShortage(disk.Path(), 3 << 20);
    ASSERT_TRUE(space);
    EXPECT_EQ(space->needed, 3u << 20);
    EXPECT_LE(space->free, 1u << 20);
    // A folder not made yet is measured on the disk that will hold it.
    EXPECT_TRUE(RunSpaceShortage(disk.Path() + "/frames/later", 3 << 20));
    EXPECT_EQ(RunSpaceQuestion(*space).rfind("フレームの書き出しには約 3 MB 必要ですが、", 0), 0u);
}

}  // namespace
}  // namespace fennix
