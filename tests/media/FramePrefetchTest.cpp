#include <gtest/gtest.h>

#include "media/FramePrefetch.h"
#include "media/ImageFile.h"
#include "media/PicturePane.h"
#include "support/AviTestFiles.h"
#include "support/TestFolder.h"

namespace fennix {
namespace {

// A frame read ahead is the file's picture, with a copy scaled to the size
// a fitted pane shows; only the path asked for last is handed out.
TEST(FramePrefetchTest, ReadsTheFrameAskedForAndScalesItToTheBox) {
    test::TestFolder folder;
    test::WriteFrames(folder.Path(), 0, 1, 400, 300);
    const std::string first = folder.File("000.bmp"), second = folder.File("001.bmp");
    FramePrefetch prefetch;
    EXPECT_FALSE(prefetch.Take(first));

    struct Case {
        QSize box, shown;
    } cases[] = {{{200, 200}, {200, 150}}, {{500, 500}, {0, 0}}, {{}, {0, 0}}};
    for (const Case& c : cases) {
        prefetch.Ask(first, c.box);
        EXPECT_FALSE(prefetch.Take(second));
        const auto frame = prefetch.Take(first);
        ASSERT_TRUE(frame);
        EXPECT_EQ(frame->picture, LoadImageFile(first)->convertToFormat(QImage::Format_RGB32));
        EXPECT_EQ(frame->shown.size(), c.shown);
        EXPECT_FALSE(prefetch.Take(first));  // handed out once
    }
    prefetch.Ask(folder.File("none.bmp"), {});
    const auto missing = prefetch.Take(folder.File("none.bmp"));
    ASSERT_TRUE(missing);
    EXPECT_TRUE(missing->picture.isNull());
    prefetch.Ask(second, {});  // dropped unread with the object
}

}  // namespace
}  // namespace fennix
