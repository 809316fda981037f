#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "core/AppFolder.h"
#include "model/ProjectFile.h"
#include "support/TestFolder.h"
#include "support/TestGrids.h"

namespace fennix {
namespace {

using test::ReadFile;
using test::WriteFile;

std::vector<std::string> Lines(const std::string& bytes) {
    std::vector<std::string> lines;
    std::istringstream in(bytes);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

std::string Join(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    return text;
}

// A reader of the plain format and nothing else: the folder line, the last
// frame, two matrix blocks read with their own counts, the background
// colour; then it stops. What a program that knows only that format sees.
struct PlainRead {
    int lastFrame = 0;
    std::vector<int> values[2];  // every number of each block, in order
    int background = 0;
};
PlainRead ReadPlainFormat(const std::vector<std::string>& lines) {
    PlainRead read;
    size_t next = 1;
    auto number = [&] { return std::stoi(lines.at(next++)); };
    read.lastFrame = number();
    for (std::vector<int>& block : read.values) {
        block.push_back(number());
        block.push_back(number());
        ++next;  // the picture
        const int rows = number(), columns = number();
        block.push_back(rows);
        block.push_back(columns);
        for (int i = 0; i < 2 * (rows + 1) * (columns + 1) + 3; ++i) block.push_back(number());
    }
    read.background = number();
    return read;
}

class ProjectAdditionsTest : public testing::Test {
  protected:
    ProjectAdditionsTest() {
        for (MatrixRecord* m : {&start, &end}) {
            *m = test::Grid(64, 48, 2, 3);
            m->ImagePath = app.Path() + (m == &start ? "/start.bmp" : "/end.bmp");
            WriteFile(m->ImagePath, "BM");
        }
        end.Points(2, 2) = {40, 30};
    }
    std::string Save(const std::string& path, const RunOptions& run) {
        return SaveMorphFile(path, start, end, app.Path(), 9, 0x808080, nullptr, ProjectAdditions{run, {}, {}});
    }

    test::AppFolderScope app;
    test::TestFolder folder;
    MatrixRecord start, end;
};

// Run options other than the defaults come back as they were; the plain
// lines before the block are those of the project without them, so a
// reader of the plain format reads the same grids from either file.
TEST_F(ProjectAdditionsTest, RunOptionsRoundTripBehindThePlainLines) {
    const std::string plainPath = folder.File("plain.mph");
    ASSERT_EQ(Save(plainPath, {}), "");
    const std::vector<std::string> plain = Lines(ReadFile(plainPath));
    ASSERT_EQ(plain.size(), 2u + 2 * (2 * 3 * 4 + 8) + 1);

    RunOptions eased;
    eased.HoldStart = 2;
    eased.HoldEnd = 3;
    eased.Motion = Easing::InOut;
    RunOptions ownDissolve;
    ownDissolve.Motion = Easing::Out;
    ownDissolve.Dissolve = Easing::In;
    RunOptions heldOnly;
    heldOnly.HoldEnd = kMaxHoldFrames;
    RunOptions linearDissolve;
    linearDissolve.Dissolve = Easing::Linear;  // set, even though it equals the motion's
    RunOptions smooth;
    smooth.Smooth = true;
    RunOptions smoothEased = eased;
    smoothEased.Smooth = true;
    for (const RunOptions& run :
         {eased, ownDissolve, heldOnly, linearDissolve, smooth, smoothEased}) {
        const std::string path = folder.File("eased.mph");
        ASSERT_EQ(Save(path, run), "");
        const std::vector<std::string> lines = Lines(ReadFile(path));
        ASSERT_GT(lines.size(), plain.size());
        EXPECT_TRUE(std::equal(plain.begin(), plain.end(), lines.begin()));
        EXPECT_EQ(lines[plain.size()], "[fennix-additions]");
        EXPECT_EQ(lines.back(), "[end]");
        // The quality is written only when it is smooth, as the last run key.
        EXPECT_EQ(std::count(lines.begin(), lines.end(), "quality=smooth"), run.Smooth ? 1 : 0);
        if (run.Smooth) {
            EXPECT_EQ(lines[lines.size() - 2], "quality=smooth");
        }

        MorphProject read;
        ASSERT_EQ(LoadMorphFile(path, read), "");
        EXPECT_EQ(read.Additions.Run, run);
        EXPECT_EQ(read.Matrix1, start);
        EXPECT_EQ(read.Matrix2, end);
        EXPECT_EQ(read.LastFrame, 9);
        EXPECT_EQ(read.BackgroundColor, 0x808080);

        const PlainRead a = ReadPlainFormat(plain), b = ReadPlainFormat(lines);
        EXPECT_EQ(a.lastFrame, b.lastFrame);
        EXPECT_EQ(a.values[0], b.values[0]);
        EXPECT_EQ(a.values[1], b.values[1]);
        EXPECT_EQ(a.background, b.background);
    }
    // Back to the defaults: the plain file again, byte for byte.
    const std::string path = folder.File("again.mph");
    ASSERT_EQ(Save(path, {}), "");
    EXPECT_EQ(ReadFile(path), ReadFile(plainPath));
}

// A damaged block is refused with the line and the reason, never half
// read; what follows the plain lines without the marker is ignored as
// before.
TEST_F(ProjectAdditionsTest, DamagedBlocksAreRefusedWithWhereAndWhy) {
    const std::string path = folder.File("m.mph");
    ASSERT_EQ(Save(path, {}), "");
    const std::vector<std::string> plain = Lines(ReadFile(path));
    const std::string marker = "[fennix-additions]";
    constexpr const char* kDamagedMarker = "追加情報の始まりの行が壊れています";
    struct Case {
        std::vector<std::string> block;
        size_t line;  // the failing line, the marker being 1; 0 when the file reads
        const char* why;
    };
    const Case cases[] = {
        {{"anything else", "hold-start=5"}, 0, ""},
        {{marker, "version=1", "[run]", "hold-start=1", "", "[end]", ""}, 0, ""},
        {{marker}, 1, "版の行（version=）がありません"},
        {{marker, "version=x"}, 2, "版の番号が正しくありません"},
        {{marker, "version=2", "[run]", "[end]"}, 2, "版 2 の追加情報はこのプログラムでは読めません"},
        {{marker, "version=1", "[run]", "hold-start=2"}, 4, "終わりの行（[end]）がないまま終わっています"},
        {{marker, "version=1", "[run]", "hold-start=-1", "[end]"}, 4, "保持するフレーム数は 0 から 100000 までの整数です"},
        {{marker, "version=1", "[run]", "hold-end=100001", "[end]"}, 4, "保持するフレーム数は 0 から 100000 までの整数です"},
        {{marker, "version=1", "[run]", "hold-end=2.5", "[end]"}, 4, "保持するフレーム数は 0 から 100000 までの整数です"},
        {{marker, "version=1", "[run]", "hold-end=99999999999999", "[end]"}, 4, "保持するフレーム数は 0 から 100000 までの整数です"},
        {{marker, "version=1", "[run]", "ease=bounce", "[end]"}, 4, "カーブは linear、in、out、in-out のどれかです"},
        {{marker, "version=1", "[run]", "ease=in", "ease=out", "[end]"}, 5, "キー「ease」が二度あります"},
        {{marker, "version=1", "[run]", "speed=2", "[end]"}, 4, "[run] に知らないキーがあります"},
        {{marker, "version=1", "[run]", "quality=smooth", "[end]"}, 0, ""},
        {{marker, "version=1", "[run]", "quality=standard", "[end]"}, 0, ""},
        {{marker, "version=1", "[run]", "quality=fine", "[end]"}, 4, "画質は standard か smooth です"},
        {{marker, "version=1", "[run]", "quality=Smooth", "[end]"}, 4, "画質は standard か smooth です"},
        {{marker, "version=1", "[run]", "quality=", "[end]"}, 4, "画質は standard か smooth です"},
        {{marker, "version=1", "[run]", "quality=smooth", "quality=smooth", "[end]"}, 5, "キー「quality」が二度あります"},
        {{marker, "version=1", "[run]", "hold-start", "[end]"}, 4, "「キー=値」の形ではありません"},
        {{marker, "version=1", "[run]", "[run]", "[end]"}, 4, "[run] が二度あります"},
        {{marker, "version=1", "[colours]", "[end]"}, 3, "知らない節か行です"},
        {{marker, "version=1", "[end]", "ease=in"}, 4, "[end] の後に行があります"},
        {{std::string("[fennix-additions]\0", 19), "version=1", "[end]"}, 1, kDamagedMarker},
        {{std::string("[fennix-\0additions]", 19), "version=1", "[end]"}, 1, kDamagedMarker},
        {{"", "[Fennix-Additions]", "version=1", "[end]"}, 2, kDamagedMarker},
        {{"[fennix-additions", "version=1", "[end]"}, 1, kDamagedMarker},
    };
    for (const Case& c : cases) {
        std::vector<std::string> lines = plain;
        lines.insert(lines.end(), c.block.begin(), c.block.end());
        WriteFile(path, Join(lines));
        MorphProject read;
        read.LastFrame = 77;
        const std::string message = LoadMorphFile(path, read);
        if (c.line == 0) {
            EXPECT_EQ(message, "") << c.block.front();
            EXPECT_EQ(read.Matrix2, end);
            EXPECT_EQ(read.Additions.Run.Smooth,
                      std::find(c.block.begin(), c.block.end(), "quality=smooth") != c.block.end());
            continue;
        }
        EXPECT_EQ(message, "モーフィングファイルの追加情報が壊れています（" +
                               std::to_string(plain.size() + c.line) + " 行目：" + c.why + "）。" + path)
            << c.why;
        EXPECT_EQ(read.LastFrame, 77);  // untouched
    }
}

// An editor's blanks around the marker, the section names or the end, and
// blank lines before the marker, do not hide the block.
TEST_F(ProjectAdditionsTest, BlanksAroundTheMarkerKeepTheBlock) {
    const std::string path = folder.File("m.mph");
    ASSERT_EQ(Save(path, {}), "");
    const std::vector<std::string> plain = Lines(ReadFile(path));
    const std::vector<std::vector<std::string>> blocks = {
        {"[fennix-additions] ", "version=1", "[run]", "hold-start=4", "[end]"},
        {"", "", "[fennix-additions]", "version=1", "[run]", "hold-start=4", "[end]"},
        {"  ", "\t[fennix-additions]\t", "version=1", " [run] ", "hold-start=4", "[end] ", " "},
    };
    for (const auto& block : blocks) {
        std::vector<std::string> lines = plain;
        lines.insert(lines.end(), block.begin(), block.end());
        WriteFile(path, Join(lines));
        MorphProject read;
        ASSERT_EQ(LoadMorphFile(path, read), "") << block[0] << block[1];
        EXPECT_EQ(read.Additions.Run.HoldStart, 4);
    }
}

// Free point pairs go into the block: the plain lines stay those of the
// project without them, a plain reader reads the same grids, and the pairs
// come back in their order, with or without run options beside them.
TEST_F(ProjectAdditionsTest, FreePointsRoundTripBehindThePlainLines) {
    const std::string plainPath = folder.File("plain.mph");
    ASSERT_EQ(Save(plainPath, {}), "");
    const std::vector<std::string> plain = Lines(ReadFile(plainPath));
    RunOptions eased;
    eased.Motion = Easing::In;
    struct Case {
        std::vector<Point> first, second;
        RunOptions run;
        std::vector<std::string> block;
    };
    const Case cases[] = {
        {{{10, 12}}, {{14, 9}}, {}, {"[fennix-additions]", "version=1", "[points]", "count=1", "10 12 14 9", "[end]"}},
        {{{0, 5}, {64, 40}, {3, 40}}, {{0, 6}, {64, 39}, {5, 44}}, eased,
         {"[fennix-additions]", "version=1", "[run]", "hold-start=0", "hold-end=0", "ease=in",
          "[points]", "count=3", "0 5 0 6", "64 40 64 39", "3 40 5 44", "[end]"}},
    };
    for (const Case& c : cases) {
        start.FreePoints = c.first;
        end.FreePoints = c.second;
        const std::string path = folder.File("free.mph");
        ASSERT_EQ(Save(path, c.run), "");
        const std::vector<std::string> lines = Lines(ReadFile(path));
        ASSERT_EQ(lines.size(), plain.size() + c.block.size());
        EXPECT_TRUE(std::equal(plain.begin(), plain.end(), lines.begin()));
        EXPECT_TRUE(std::equal(c.block.begin(), c.block.end(), lines.begin() + plain.size()));

        MorphProject read;
        ASSERT_EQ(LoadMorphFile(path, read), "");
        EXPECT_EQ(read.Matrix1, start);
        EXPECT_EQ(read.Matrix2, end);
        EXPECT_EQ(read.Additions.Run, c.run);
        const PlainRead a = ReadPlainFormat(plain), b = ReadPlainFormat(lines);
        EXPECT_EQ(a.values[0], b.values[0]);
        EXPECT_EQ(a.values[1], b.values[1]);
        EXPECT_EQ(a.background, b.background);
    }
    // Without pairs again: the plain file, byte for byte.
    start.FreePoints.clear();
    end.FreePoints.clear();
    const std::string path = folder.File("again.mph");
    ASSERT_EQ(Save(path, {}), "");
    EXPECT_EQ(ReadFile(path), ReadFile(plainPath));
}

TEST_F(ProjectAdditionsTest, DamagedPointSectionsAreRefused) {
    const std::string path = folder.File("m.mph");
    ASSERT_EQ(Save(path, {}), "");
    const std::vector<std::string> plain = Lines(ReadFile(path));
    const std::vector<std::string> head = {"[fennix-additions]", "version=1", "[points]"};
    struct Case {
        std::vector<std::string> rest;
        size_t line;  // after the marker line 1
        const char* why;
    };
    const std::string count = "点の数は 1 から 10000 までの整数です";
    const std::string shape = "点の行は「x1 y1 x2 y2」の四つの整数です";
    const std::string sameStart = "始点が " + std::to_string(plain.size() + 5) + " 行目の始点と同じです";
    const Case cases[] = {
        {{"count=1", "1 2 3 4", "[end]"}, 0, ""},
        {{"[end]"}, 4, "点の数の行（count=）がありません"},
        {{"count=0", "[end]"}, 4, count.c_str()},
        {{"count=10001", "[end]"}, 4, count.c_str()},
        {{"count=-3", "[end]"}, 4, count.c_str()},
        {{"count=5", "1 2 3 4"}, 4, "点の行が足りません"},
        {{"count=1", "1 2 3", "[end]"}, 5, shape.c_str()},
        {{"count=1", "1 2 3 4 5", "[end]"}, 5, shape.c_str()},
        {{"count=1", "1  2 3 4", "[end]"}, 5, shape.c_str()},
        {{"count=1", "1 2 3 x", "[end]"}, 5, shape.c_str()},
        {{"count=1", "1.5 2 3 4", "[end]"}, 5, shape.c_str()},
        {{"count=1", "65 2 3 4", "[end]"}, 5, "点が画像の外にあります"},
        {{"count=1", "1 2 3 -1", "[end]"}, 5, "点が画像の外にあります"},
        {{"count=1", "1 2 3 49", "[end]"}, 5, "点が画像の外にあります"},
        {{"count=2", "1 2 3 4", "1 2 3 70", "[end]"}, 6, "点が画像の外にあります"},
        // The pairs the window and `new --points` refuse are damage too.
        {{"count=1", "32 16 33 17", "[end]"}, 5, "始点が格子点の上にあります"},
        {{"count=2", "1 2 3 4", "0 0 1 1", "[end]"}, 6, "始点が格子点の上にあります"},
        {{"count=1", "64 48 63 47", "[end]"}, 5, "始点が格子点の上にあります"},
        {{"count=3", "1 2 3 4", "5 6 7 8", "1 2 9 9", "[end]"}, 7, sameStart.c_str()},
        {{"count=1", "5 5 60 45", "[end]"}, 5, "終点がメッシュを折り返させます"},
        {{"count=2", "1 2 3 4", "10 20 60 2", "[end]"}, 6, "終点がメッシュを折り返させます"},
        {{"count=1", "1 2 3 4", "[points]", "count=1", "1 2 3 4", "[end]"}, 6, "[points] が二度あります"},
        {{"count=2", "1 2 3 4", "5 6 7 8"}, 6, "終わりの行（[end]）がないまま終わっています"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> lines = plain;
        lines.insert(lines.end(), head.begin(), head.end());
        lines.insert(lines.end(), c.rest.begin(), c.rest.end());
        WriteFile(path, Join(lines));
        MorphProject read;
        read.LastFrame = 77;
        const std::string message = LoadMorphFile(path, read);
        if (c.line == 0) {
            EXPECT_EQ(message, "");
            EXPECT_EQ(read.Matrix1.FreePoints, (std::vector<Point>{{1, 2}}));
            EXPECT_EQ(read.Matrix2.FreePoints, (std::vector<Point>{{3, 4}}));
            continue;
        }
        EXPECT_EQ(message, "モーフィングファイルの追加情報が壊れています（" +
                               std::to_string(plain.size() + c.line) + " 行目：" + c.why + "）。" + path)
            << c.rest.front() << " " << c.why;
        EXPECT_EQ(read.LastFrame, 77);
    }
}

// The pairs the fit placed on faces, and those it added for detail, are
// marked in sections of their own and come back; a marked pair no longer
// among the free points is not written, and a project without any keeps
// the block it had.
TEST_F(ProjectAdditionsTest, FacePairsRoundTripAndOnlyThoseStillThere) {
    struct Case {
        std::vector<Point> first, second;
        std::vector<FreePair> faces, details;
        std::vector<std::string> block;  // empty: no block at all
    };
    const Case cases[] = {
        {{{10, 12}, {20, 22}},
         {{14, 9}, {24, 19}},
         {{{20, 22}, {24, 19}}},
         {},
         {"[fennix-additions]", "version=1", "[points]", "count=2", "10 12 14 9", "20 22 24 19",
          "[face-points]", "count=1", "20 22 24 19", "[end]"}},
        // A marked pair whose end point the user moved is theirs now.
        {{{10, 12}},
         {{15, 9}},
         {{{10, 12}, {14, 9}}},
         {{{10, 12}, {14, 9}}},
         {"[fennix-additions]", "version=1", "[points]", "count=1", "10 12 15 9", "[end]"}},
        // The user's pair, a face pair and a detail pair.
        {{{10, 12}, {20, 22}, {44, 40}},
         {{14, 9}, {24, 19}, {48, 37}},
         {{{20, 22}, {24, 19}}},
         {{{44, 40}, {48, 37}}},
         {"[fennix-additions]", "version=1", "[points]", "count=3", "10 12 14 9", "20 22 24 19",
          "44 40 48 37", "[face-points]", "count=1", "20 22 24 19", "[fit-points]", "count=1",
          "44 40 48 37", "[end]"}},
        // Marks without any free point: nothing to write, the plain file.
        {{}, {}, {{{10, 12}, {14, 9}}}, {{{10, 12}, {14, 9}}}, {}},
    };
    const std::string plainPath = folder.File("plain.mph");
    ASSERT_EQ(Save(plainPath, {}), "");
    const std::vector<std::string> plain = Lines(ReadFile(plainPath));
    for (const Case& c : cases) {
        start.FreePoints = c.first;
        end.FreePoints = c.second;
        const std::string path = folder.File("faces.mph");
        ASSERT_EQ(SaveMorphFile(path, start, end, app.Path(), 9, 0x808080, nullptr,
                                ProjectAdditions{{}, c.faces, c.details}),
                  "");
        if (c.block.empty()) {
            EXPECT_EQ(ReadFile(path), ReadFile(plainPath));
            continue;
        }
        const std::vector<std::string> lines = Lines(ReadFile(path));
        ASSERT_EQ(lines.size(), plain.size() + c.block.size());
        EXPECT_TRUE(std::equal(c.block.begin(), c.block.end(), lines.begin() + plain.size()));
        MorphProject read;
        ASSERT_EQ(LoadMorphFile(path, read), "");
        EXPECT_EQ(read.Matrix1.FreePoints, c.first);
        EXPECT_EQ(read.Matrix2.FreePoints, c.second);
        const auto kept = [&c](const std::vector<FreePair>& marked) {
            std::vector<FreePair> still;
            for (const FreePair& f : marked)
                for (size_t n = 0; n < c.first.size(); ++n)
                    if (c.first[n] == f.Start && c.second[n] == f.End) still.push_back(f);
            return still;
        };
        EXPECT_EQ(read.Additions.FacePairs, kept(c.faces));
        EXPECT_EQ(read.Additions.DetailPairs, kept(c.details));
    }
}

// A [face-points] or [fit-points] section that is damaged or repeated.
TEST_F(ProjectAdditionsTest, DamagedFacePointSectionsAreRefused) {
    const std::string path = folder.File("m.mph");
    ASSERT_EQ(Save(path, {}), "");
    const std::vector<std::string> plain = Lines(ReadFile(path));
    const std::vector<std::string> head = {
        "[fennix-additions]", "version=1", "[points]", "count=1", "1 2 3 4", "[face-points]"};
    struct Case {
        std::vector<std::string> rest;
        size_t line;
        const char* why;
    };
    const Case cases[] = {
        {{"count=1", "1 2 3 4", "[end]"}, 0, ""},
        {{"[end]"}, 7, "点の数の行（count=）がありません"},
        {{"count=1", "1 2 3", "[end]"}, 8, "点の行は「x1 y1 x2 y2」の四つの整数です"},
        {{"count=1", "1 2 3 49", "[end]"}, 8, "点が画像の外にあります"},
        {{"count=1", "1 2 3 4", "[face-points]", "count=1", "1 2 3 4", "[end]"},
         9,
         "[face-points] が二度あります"},
        {{"count=1", "1 2 3 4", "[fit-points]", "count=1", "1 2 3 49", "[end]"},
         11,
         "点が画像の外にあります"},
        {{"count=1", "1 2 3 4", "[fit-points]", "count=1", "1 2 3 4", "[fit-points]", "count=1",
          "1 2 3 4", "[end]"},
         12,
         "[fit-points] が二度あります"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> lines = plain;
        lines.insert(lines.end(), head.begin(), head.end());
        lines.insert(lines.end(), c.rest.begin(), c.rest.end());
        WriteFile(path, Join(lines));
        MorphProject read;
        const std::string message = LoadMorphFile(path, read);
        if (c.line == 0) {
            EXPECT_EQ(message, "");
            EXPECT_EQ(read.Additions.FacePairs, (std::vector<FreePair>{{{1, 2}, {3, 4}}}));
            continue;
        }
        EXPECT_EQ(message, "モーフィングファイルの追加情報が壊れています（" +
                               std::to_string(plain.size() + c.line) + " 行目：" + c.why + "）。" +
                               path)
            << c.why;
    }
}

}  // namespace
}  // namespace fennix
