#include <gtest/gtest.h>

#include <QImage>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "cli/RunCli.h"
#include "model/FreeMesh.h"
#include "model/ProjectFile.h"
#include "model/UnfoldedMove.h"
#include "support/TestFolder.h"
#include "support/WarpedPair.h"

namespace fennix {
namespace {

using test::RunCli;

const char* const kAstronaut = "/usr/lib/python3/dist-packages/skimage/data/astronaut.png";

class FaceCommandsTest : public testing::Test {
  protected:
    test::TestFolder folder;
    // The footballer of opencv-doc's messi5.jpg, cut around his head and
    // enlarged to the astronaut's size.
    std::string Footballer() {
        const std::string path = folder.File("footballer.png");
        const QImage photo(QString::fromStdString(test::PhotoPath("messi5.jpg")));
        EXPECT_TRUE(photo.copy(150, 0, 240, 240)
                        .scaled(512, 512, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                        .save(QString::fromStdString(path)));
        return path;
    }
};

TEST_F(FaceCommandsTest, FacesPrintsSixtyEightLandmarksPerFace) {
    const auto run = RunCli({"faces", kAstronaut});
    ASSERT_EQ(run.status, 0) << run.err;
    std::istringstream lines(run.out);
    std::string line;
    ASSERT_TRUE(std::getline(lines, line));
    EXPECT_EQ(line, "face 1");
    std::vector<std::pair<double, double>> points;
    while (std::getline(lines, line) && line.rfind("face ", 0) != 0) {
        std::istringstream values(line);
        double x = 0, y = 0;
        ASSERT_TRUE(values >> x >> y) << line;
        points.push_back({x, y});
    }
    ASSERT_EQ(points.size(), 68u);
    // The tip of the nose and the chin, where the astronaut has them.
    EXPECT_NEAR(points[30].first, 223.7, 4);
    EXPECT_NEAR(points[30].second, 127.0, 4);
    EXPECT_NEAR(points[8].first, 222.4, 6);
    EXPECT_NEAR(points[8].second, 177.8, 6);
}

TEST_F(FaceCommandsTest, FacesSaysSoWhenThereIsNone) {
    const auto none = RunCli({"faces", test::PhotoPath("fruits.jpg")});
    EXPECT_EQ(none.status, 0);
    EXPECT_EQ(none.out, "");
    EXPECT_NE(none.err.find("no face"), std::string::npos) << none.err;
    const auto missing = RunCli({"faces", folder.File("missing.png")});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.out, "");
    // Usage errors.
    EXPECT_EQ(RunCli({"faces"}).status, 2);
    EXPECT_EQ(RunCli({"faces", kAstronaut, "--what"}).status, 2);
    EXPECT_EQ(RunCli({"faces", kAstronaut, kAstronaut}).status, 2);
}

TEST_F(FaceCommandsTest, FitPlacesLandmarkPairsAndReplacesThemTheNextTime) {
    const std::string project = folder.File("p.mph");
    ASSERT_EQ(
        RunCli({"new", kAstronaut, Footballer(), project, "--rows", "6", "--cols", "6"}).status, 0);
    const auto fit = RunCli({"fit", project});
    ASSERT_EQ(fit.status, 0) << fit.err;
    EXPECT_NE(fit.out.find("landmark pairs placed"), std::string::npos) << fit.out;
    MorphProject first;
    ASSERT_EQ(LoadMorphFile(project, first), "");
    EXPECT_GE(first.Additions.FacePairs.size(), 60u);
    EXPECT_EQ(first.Matrix1.FreePoints.size(),
              first.Additions.FacePairs.size() + first.Additions.DetailPairs.size());
    EXPECT_TRUE(GridUnfolded(first.Matrix2));
    EXPECT_TRUE(MeshUnfolded(first.Matrix1, first.Matrix2));

    ASSERT_EQ(RunCli({"fit", project}).status, 0);
    MorphProject second;
    ASSERT_EQ(LoadMorphFile(project, second), "");
    EXPECT_EQ(second.Matrix1.FreePoints.size(), first.Matrix1.FreePoints.size());

    // Without faces: no landmark pairs placed, the earlier ones kept as
    // free points (ahead of the pairs added for detail, which are new).
    const auto plain = RunCli({"fit", project, "--no-faces", "--output", folder.File("q.mph")});
    ASSERT_EQ(plain.status, 0) << plain.err;
    EXPECT_EQ(plain.out.find("landmark pairs"), std::string::npos) << plain.out;
    MorphProject third;
    ASSERT_EQ(LoadMorphFile(folder.File("q.mph"), third), "");
    const size_t kept = second.Matrix1.FreePoints.size() - second.Additions.DetailPairs.size();
    ASSERT_EQ(third.Matrix1.FreePoints.size(), kept + third.Additions.DetailPairs.size());
    EXPECT_TRUE(std::equal(second.Matrix1.FreePoints.begin(),
                           second.Matrix1.FreePoints.begin() + static_cast<long>(kept),
                           third.Matrix1.FreePoints.begin()));

    // A face number past the faces there: a note, the fit as without.
    const auto far = RunCli({"fit", project, "--face", "4", "--output", folder.File("r.mph")});
    ASSERT_EQ(far.status, 0) << far.err;
    EXPECT_NE(far.err.find("no face number 4"), std::string::npos) << far.err;
    EXPECT_EQ(RunCli({"fit", project, "--face", "0"}).status, 2);
    EXPECT_EQ(RunCli({"fit", project, "--face", "1", "--no-faces"}).status, 2);
}

TEST_F(FaceCommandsTest, MorphMakesAVideoOrFramesInOneCommand) {
    const std::string video = folder.File("out.mp4");
    const auto run =
        RunCli({"morph", kAstronaut, Footballer(), video, "--frames", "4", "--fps", "10"});
    ASSERT_EQ(run.status, 0) << run.err;
    std::error_code error;
    ASSERT_GT(std::filesystem::file_size(video, error), 1000u);
    {
        // An MP4 starts with its file type box.
        std::FILE* f = std::fopen(video.c_str(), "rb");
        ASSERT_NE(f, nullptr);
        char head[8] = {};
        ASSERT_EQ(std::fread(head, 1, 8, f), 8u);
        std::fclose(f);
        EXPECT_EQ(std::string(head + 4, 4), "ftyp");
    }
    // A folder gets the frames themselves.
    const std::string frames = folder.File("frames");
    ASSERT_EQ(RunCli({"morph", kAstronaut, Footballer(), frames, "--frames", "3", "--rows", "4",
                      "--cols", "4"})
                  .status,
              0);
    for (const char* name : {"000.bmp", "001.bmp", "002.bmp"})
        EXPECT_TRUE(std::filesystem::is_regular_file(frames + "/" + name)) << name;
    EXPECT_FALSE(std::filesystem::exists(frames + "/003.bmp"));
    // Those were smooth frames; --standard gives the exact ones (the grid
    // moves, so the middle frames differ).
    const auto middle = [](const std::string& folder) {
        return QImage(QString::fromStdString(folder + "/001.bmp"));
    };
    const std::string exact = folder.File("exact");
    ASSERT_EQ(RunCli({"morph", kAstronaut, Footballer(), exact, "--frames", "3", "--rows", "4",
                      "--cols", "4", "--standard"})
                  .status,
              0);
    EXPECT_NE(middle(exact), middle(frames));
    EXPECT_EQ(QImage(QString::fromStdString(exact + "/000.bmp")).size(), middle(frames).size());
}

// A small pair of pictures without faces, so that a whole morph is quick.
class MorphCommandTest : public testing::Test {
  protected:
    test::TestFolder folder;
    std::string start = Picture("start.png", 0), end = Picture("end.png", 1);

    std::string Picture(const char* name, int k) {
        QImage image(48, 40, QImage::Format_RGB32);
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                image.setPixel(x, y, qRgb((x * 5 + k * 90) % 256, (y * 6) % 256, k ? 40 : 200));
        const std::string path = folder.File(name);
        EXPECT_TRUE(image.save(QString::fromStdString(path)));
        return path;
    }
    static std::string Bytes(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
};

TEST_F(MorphCommandTest, BadCommandLinesAndOutputsAreRefusedBeforeAnythingIsWritten) {
    const std::string existing = folder.File("old.gif");
    { std::ofstream(existing) << "old"; }
    const std::string frames = folder.File("frames");
    std::filesystem::create_directory(frames);
    { std::ofstream(frames + "/000.bmp") << "old frame"; }
    const std::string gifStart = folder.File("start.gif");
    // A picture named like a video (Qt writes no GIF; the name is what counts).
    std::filesystem::copy_file(start, gifStart);
    const std::string folderVideo = folder.File("folder.mp4");
    std::filesystem::create_directory(folderVideo);
    const std::string plainFile = folder.File("notes.txt");
    { std::ofstream(plainFile) << "notes"; }
    const struct {
        std::vector<std::string> args;
        int status;
        const char* says;
    } bad[] = {
        {{"morph", start, end}, 2, "morph needs START END OUTPUT"},
        {{"morph", start, end, folder.File("a.gif"), folder.File("b.gif")}, 2, "only"},
        {{"morph", start, end, folder.File("a.avi"), "--fps", "40"}, 2, "from 1 to 30"},
        {{"morph", start, end, folder.File("a.mp4"), "--fps", "61"}, 2, "from 1 to 60"},
        {{"morph", start, end, folder.File("a.gif"), "--size", "0x3"}, 2, "--size"},
        {{"morph", start, end, folder.File("c.webm"), "--frames", "1"}, 2, "--frames"},
        {{"morph", start, end, folder.File("c.webm"), "--rows", "x"}, 2, "--rows"},
        {{"morph", start, end, folder.File("c.webm"), "--cols", "0"}, 2, "--cols"},
        {{"morph", start, end, folder.File("c.webm"), "--smooth", "--standard"}, 2, "exclude"},
        {{"morph", start, end, folder.File("c.webm"), "--what"}, 2, "--what"},
        {{"morph", start, folder.File("none.png"), folder.File("b.gif")}, 1, "none.png"},
        {{"morph", start, end, existing}, 1, "--force"},
        {{"morph", gifStart, end, gifStart}, 1, "start picture"},
        {{"morph", gifStart, end, gifStart, "--force"}, 1, "start picture"},
        {{"morph", start, end, frames}, 1, "already holds frames"},
        {{"morph", start, end, folderVideo}, 1, "is a folder"},
        {{"morph", start, end, plainFile}, 1, "not a folder"},
    };
    for (const auto& c : bad) {
        const auto r = RunCli(c.args);
        EXPECT_EQ(r.status, c.status) << c.says;
        EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
        EXPECT_EQ(r.out, "") << c.says;
    }
    // Nothing was written over.
    EXPECT_EQ(Bytes(existing), "old");
    EXPECT_EQ(Bytes(frames + "/000.bmp"), "old frame");
    EXPECT_EQ(Bytes(plainFile), "notes");
    EXPECT_EQ(Bytes(gifStart), Bytes(start));
    EXPECT_FALSE(std::filesystem::exists(folder.File("a.gif")));
    EXPECT_FALSE(std::filesystem::exists(folder.File("c.webm")));
}

TEST_F(MorphCommandTest, ForceReplacesAnExistingOutput) {
    const std::string video = folder.File("out.gif");
    { std::ofstream(video) << "old"; }
    const auto forced = RunCli({"morph", start, end, video, "--frames", "3", "--force"});
    ASSERT_EQ(forced.status, 0) << forced.err;
    EXPECT_EQ(Bytes(video).substr(0, 3), "GIF");
    EXPECT_NE(forced.out.find("wrote " + video), std::string::npos) << forced.out;
    const auto quiet = RunCli({"--quiet", "morph", start, end, video, "--frames", "3", "--force"});
    ASSERT_EQ(quiet.status, 0) << quiet.err;
    EXPECT_EQ(quiet.out, "");

    // A folder that holds frames is used again only with --force, which
    // replaces them.
    const std::string frames = folder.File("frames");
    ASSERT_EQ(RunCli({"morph", start, end, frames, "--frames", "3"}).status, 0);
    EXPECT_EQ(RunCli({"morph", start, end, frames, "--frames", "2"}).status, 1);
    EXPECT_TRUE(std::filesystem::exists(frames + "/002.bmp"));
    ASSERT_EQ(RunCli({"morph", start, end, frames, "--frames", "2", "--force"}).status, 0);
    EXPECT_TRUE(std::filesystem::exists(frames + "/001.bmp"));
    EXPECT_FALSE(std::filesystem::exists(frames + "/002.bmp"));
}

}  // namespace
}  // namespace fennix
