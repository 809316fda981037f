#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "support/FrameFiles.h"
#include "media/FramePlayer.h"
#include "media/FrameSequence.h"
#include "media/ImageFile.h"
#include "support/TestFolder.h"

namespace fennix {
namespace {

using Shown = std::vector<std::pair<int64_t, int>>;  // (time, frame)
using Frames = std::vector<int>;

// A player on a folder of real frame files and a clock the test moves.
class FramePlayerTest : public testing::Test {
  protected:
    FramePlayer player{[this] { return now; },
                       [this](int index) {
                           requested.push_back(index);
                           const int64_t at = now;
                           now += loadTime;
                           if (!LoadImageFile(FramePath(frames.Path(), index, 0))) return false;
                           shown.push_back({at, index});
                           return true;
                       }};

    // Moves the clock on one millisecond at a time, with a pass after each.
    void Advance(int64_t ms) {
        for (int64_t end = now + ms; now < end;) {
            ++now;
            player.Tick();
        }
    }

    Frames ShownFrames() const {
        Frames indexes;
        for (const auto& s : shown) indexes.push_back(s.second);
        return indexes;
    }

    test::TestFolder frames;
    int64_t now = 0;
    int64_t loadTime = 0;
    Shown shown;
    Frames requested;
};

TEST_F(FramePlayerTest, PlayShowsTenFramesOnePerIntervalAndStopsOnTheLast) {
    test::WriteFrames(frames.Path(), 0, 9, 0);
    player.Play(100);
    Advance(99);
    EXPECT_TRUE(shown.empty());  // the first frame waits one interval too
    Advance(2000);
    ASSERT_EQ(shown.size(), 10u);
    for (int k = 0; k < 10; ++k) EXPECT_EQ(shown[k], Shown::value_type(100 * (k + 1), k));
    EXPECT_EQ(player.State(), PlayState::Idle);
    EXPECT_EQ(requested.size(), 11u);  // one failed attempt at 010 ends it
}

TEST_F(FramePlayerTest, AGapEndsEveryRunAtTheFrameBeforeIt) {
    test::WriteFrames(frames.Path(), 0, 4, 0);
    test::WriteFrames(frames.Path(), 6, 9, 0);
    player.Loop(10);
    Advance(300);
    EXPECT_EQ(ShownFrames(),
              (Frames{0, 1, 2, 3, 4, 4, 3, 2, 1, 0, 0, 1, 2, 3, 4, 4, 3, 2, 1, 0, 0, 1, 2, 3, 4}));
}

TEST_F(FramePlayerTest, LoopHoldsEachEndFrameForThreeIntervals) {
    test::WriteFrames(frames.Path(), 0, 2, 0);
    player.Loop(100);
    Advance(1100);
    // 003 fails at 400 and the run turns back at 002; -1 fails at 800.
    EXPECT_EQ(shown, (Shown{{100, 0},
                            {200, 1},
                            {300, 2},
                            {500, 2},
                            {600, 1},
                            {700, 0},
                            {900, 0},
                            {1000, 1},
                            {1100, 2}}));
    EXPECT_EQ(requested, (Frames{0, 1, 2, 3, 2, 1, 0, -1, 0, 1, 2}));
}

TEST_F(FramePlayerTest, StopInTheForwardHalfEndsAtOnceAndPlayStartsAtZero) {
    test::WriteFrames(frames.Path(), 0, 4, 0);
    player.Loop(100);
    Advance(250);
    player.Stop();
    EXPECT_FALSE(player.Playing());
    EXPECT_FALSE(player.Looping());
    Advance(1000);
    player.Play(100);
    Advance(1000);
    EXPECT_EQ(shown[2], Shown::value_type(1350, 0));
    EXPECT_EQ(ShownFrames(), (Frames{0, 1, 0, 1, 2, 3, 4}));  // and no loop after it
    EXPECT_FALSE(player.Playing());
}

TEST_F(FramePlayerTest, AnIntervalChangeCountsFromTheNextPassAndLoadingTimeAdds) {
    test::WriteFrames(frames.Path(), 0, 9, 0);
    player.Play(100);
    Advance(150);  // frame 000 at 100
    player.SetInterval(20);
    EXPECT_EQ(player.MsUntilNextPass(), 0);  // 50 ms have passed already
    Advance(41);
    player.SetInterval(300);
    Advance(300);
    EXPECT_EQ(shown, (Shown{{100, 0}, {151, 1}, {171, 2}, {191, 3}, {491, 4}}));

    // The clock restarts after a frame is loaded, not before.
    shown.clear();
    loadTime = 30;
    player.Play(100);
    Advance(400);
    EXPECT_EQ(shown, (Shown{{591, 0}, {721, 1}, {851, 2}}));
}

TEST_F(FramePlayerTest, PlayAndLoopRestartARunningSequence) {
    test::WriteFrames(frames.Path(), 0, 5, 0);
    player.Play(100);
    Advance(300);
    player.Play(100);
    Advance(1000);
    EXPECT_EQ(ShownFrames(), (Frames{0, 1, 2, 0, 1, 2, 3, 4, 5}));
    EXPECT_FALSE(player.Playing());  // the first run does not resume

    shown.clear();
    player.Loop(100);
    Advance(900);  // 000 … 005, fails, then 005 004
    player.Loop(100);
    Advance(200);
    EXPECT_EQ(ShownFrames(), (Frames{0, 1, 2, 3, 4, 5, 5, 4, 0, 1}));
}

TEST_F(FramePlayerTest, WithoutFrameZeroRunsEndAtOnceAndLoopsShowNothing) {
    test::WriteFrames(frames.Path(), 1, 3, 0);
    player.Play(50);
    Advance(50);
    EXPECT_FALSE(player.Playing());
    player.Loop(50);
    Advance(500);  // one attempt per interval, alternating 000 and -1
    EXPECT_TRUE(shown.empty());
    EXPECT_EQ(requested.size(), 11u);
    EXPECT_TRUE(player.Playing());
}

TEST_F(FramePlayerTest, FrameThousandIsReadFromItsFourDigitName) {
    test::WriteFrames(frames.Path(), 0, 0, 0, 1, 1);
    const std::string bytes = test::ReadFile(frames.File("000.bmp"));
    for (int k = 1; k <= 1000; ++k) test::WriteFile(FramePath(frames.Path(), k, 0), bytes);
    test::WriteFile(frames.File("01000.bmp"), bytes);  // not a frame name
    player.Play(1);
    Advance(1100);
    ASSERT_EQ(shown.size(), 1001u);
    EXPECT_EQ(shown.back().second, 1000);
    EXPECT_FALSE(player.Playing());
}

}  // namespace
}  // namespace fennix
