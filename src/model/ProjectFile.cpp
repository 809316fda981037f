#include "model/ProjectFile.h"

#include <algorithm>
#include <cctype>
#include <limits>
#include <optional>
#include <string_view>
#include <vector>

#include "core/AppFolder.h"
#include "core/NumberText.h"
#include "core/Paths.h"
#include "core/RegularFile.h"
#include "core/Rounding.h"
#include "core/SafeWrite.h"
#include "core/TextEncoding.h"
#include "core/Translation.h"
#include "model/FreePairCheck.h"
#include "model/StrokeMaking.h"

namespace fennix {

namespace {

constexpr const char* kSaveFailed = TrMark("ProjectFile", "保存できませんでした。");
constexpr const char* kLoadFailed =
    TrMark("ProjectFile", "モーフィングファイルを読み込めませんでした。");
constexpr const char* kImageMissing = kImageMissingMessage;
// Far more than the largest grid a window can edit needs.
constexpr size_t kMaxProjectBytes = size_t{16} << 20;

// ---- Writing -------------------------------------------------------------

void PutString(std::string& out, const std::string& text) {
    out += '"';
    out += text;
    out += "\"\r\n";
}

void PutInteger(std::string& out, int32_t value) {
    out += std::to_string(value);
    out += "\r\n";
}

bool HasLineBreak(const std::string& text) {
    return text.find_first_of("\r\n") != std::string::npos;
}

// False when the record cannot be written as a block that reads back.
bool Writable(const MatrixRecord& m) {
    if (m.Rows < 1 || m.Columns < 1 || HasLineBreak(m.ImagePath)) return false;
    return static_cast<int64_t>(m.Points.CountI()) >= static_cast<int64_t>(m.Rows) + 1 &&
           static_cast<int64_t>(m.Points.CountJ()) >= static_cast<int64_t>(m.Columns) + 1;
}

void PutBlock(std::string& out, const MatrixRecord& m) {
    PutInteger(out, m.PointerColor);
    PutInteger(out, m.PointerSize);
    PutString(out, m.ImagePath);
    PutInteger(out, m.Rows);
    PutInteger(out, m.Columns);
    PutInteger(out, m.Height);
    for (int j = 1; j <= m.Columns + 1; ++j) {
        for (int i = 1; i <= m.Rows + 1; ++i) {
            PutInteger(out, m.Points(i, j).X);
            PutInteger(out, m.Points(i, j).Y);
        }
    }
    PutInteger(out, m.Width);
    PutInteger(out, m.MatrixColor);
}

// ---- The additions block ------------------------------------------------

constexpr std::string_view kAdditionsMarker = "[fennix-additions]";
constexpr std::string_view kAdditionsEnd = "[end]";
constexpr std::string_view kRunSection = "[run]";
constexpr std::string_view kPointsSection = "[points]";
constexpr std::string_view kFacePointsSection = "[face-points]";
constexpr std::string_view kFitPointsSection = "[fit-points]";
constexpr std::string_view kStrokesSection = "[strokes]";
constexpr int kAdditionsVersion = 1;

void PutLine(std::string& out, std::string_view line) {
    out += line;
    out += "\r\n";
}

void PutKey(std::string& out, std::string_view key, const std::string& value) {
    PutLine(out, std::string(key) + "=" + value);
}

void PutAdditions(std::string& out, const ProjectAdditions& additions, const MatrixRecord& m1,
                  const MatrixRecord& m2) {
    const size_t pairs = std::min(m1.FreePoints.size(), m2.FreePoints.size());
    // The face pairs and the fit's detail pairs that are still free point
    // pairs.
    const auto stillThere = [&](const std::vector<FreePair>& marked) {
        std::vector<FreePair> kept;
        for (const FreePair& pair : marked)
            for (size_t n = 0; n < pairs; ++n)
                if (m1.FreePoints[n] == pair.Start && m2.FreePoints[n] == pair.End) {
                    kept.push_back(pair);
                    break;
                }
        return kept;
    };
    const std::vector<FreePair> facePairs = stillThere(additions.FacePairs);
    const std::vector<FreePair> detailPairs = stillThere(additions.DetailPairs);
    const size_t strokes = std::min(m1.Strokes.size(), m2.Strokes.size());
    if (additions.Run.IsDefault() && pairs == 0 && strokes == 0) return;
    PutLine(out, kAdditionsMarker);
    PutKey(out, "version", std::to_string(kAdditionsVersion));
    const RunOptions& run = additions.Run;
    if (!run.IsDefault()) {
        PutLine(out, kRunSection);
        PutKey(out, "hold-start", std::to_string(run.HoldStart));
        PutKey(out, "hold-end", std::to_string(run.HoldEnd));
        PutKey(out, "ease", EasingName(run.Motion));
        if (run.Dissolve) PutKey(out, "colour-ease", EasingName(*run.Dissolve));
        if (run.Smooth) PutKey(out, "quality", "smooth");
    }
    if (pairs > 0) {
        PutLine(out, kPointsSection);
        PutKey(out, "count", std::to_string(pairs));
        for (size_t n = 0; n < pairs; ++n) {
            const Point a = m1.FreePoints[n], b = m2.FreePoints[n];
            PutLine(out, std::to_string(a.X) + " " + std::to_string(a.Y) + " " +
                             std::to_string(b.X) + " " + std::to_string(b.Y));
        }
    }
    const auto putMarked = [&out](std::string_view section, const std::vector<FreePair>& marked) {
        if (marked.empty()) return;
        PutLine(out, section);
        PutKey(out, "count", std::to_string(marked.size()));
        for (const FreePair& p : marked)
            PutLine(out, std::to_string(p.Start.X) + " " + std::to_string(p.Start.Y) + " " +
                             std::to_string(p.End.X) + " " + std::to_string(p.End.Y));
    };
    putMarked(kFacePointsSection, facePairs);
    putMarked(kFitPointsSection, detailPairs);
    if (strokes > 0) {
        const auto put = [&out](Point p) { PutLine(out, std::to_string(p.X) + " " + std::to_string(p.Y)); };
        PutLine(out, kStrokesSection);
        PutKey(out, "count", std::to_string(strokes));
        for (size_t n = 0; n < strokes; ++n) {
            const Stroke& a = m1.Strokes[n];
            const Stroke& b = m2.Strokes[n];
            const size_t points = std::min(a.Points.size(), b.Points.size());
            PutLine(out, std::string("stroke ") + (a.Closed ? "closed " : "open ") +
                             std::to_string(a.Curve.size()) + " " + std::to_string(b.Curve.size()) +
                             " " + std::to_string(points));
            for (const Point& p : a.Curve) put(p);
            for (const Point& p : b.Curve) put(p);
            for (size_t k = 0; k < points; ++k)
                PutLine(out, std::to_string(a.Points[k].X) + " " + std::to_string(a.Points[k].Y) +
                                 " " + std::to_string(b.Points[k].X) + " " +
                                 std::to_string(b.Points[k].Y));
        }
    }
    PutLine(out, kAdditionsEnd);
}

// ---- Reading -------------------------------------------------------------

// The longest line a project file may hold: room for any path and its
// quotes. A longer line means the file is damaged or not a project at all,
// and reading on would only cost time and memory.
constexpr size_t kMaxLineBytes = 8192;

// The lines of the file's bytes, split at LF with one CR before it removed. A
// final line break does not start another line. Nothing when a line is longer
// than kMaxLineBytes.
std::optional<std::vector<std::string_view>> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        const size_t next = end == std::string_view::npos ? text.size() : end + 1;
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.size() > kMaxLineBytes) return std::nullopt;
        lines.push_back(line);
        start = next;
    }
    return lines;
}

// Hands out the lines of a project file one by one.
class LineReader {
  public:
    // `utf8`: the whole file is UTF-8 text. Otherwise it comes from the
    // Windows program (cp932) or holds file names that are not UTF-8.
    LineReader(std::vector<std::string_view> lines, bool utf8)
        : lines_(std::move(lines)), utf8_(utf8) {}

    size_t Remaining() const { return lines_.size() - next_; }
    // The number (from 1) of the line read last.
    size_t LineNumber() const { return next_; }

    // Puts the line read last back.
    void Unread() {
        if (next_ > 0) --next_;
    }

    // The next line as it stands; nothing at the end of the file.
    std::optional<std::string_view> Line() {
        if (Remaining() == 0) return std::nullopt;
        return lines_[next_++];
    }
    bool Utf8() const { return utf8_; }

    // The next line as a string value: a leading quote and the last
    // character removed. Nothing at the end of the file. `raw` is the value
    // as stored; `text` the same decoded (different only for a line of a
    // file that is not UTF-8, decoded as cp932).
    struct Value {
        std::string raw;
        std::string text;
    };
    std::optional<Value> String() {
        if (Remaining() == 0) return std::nullopt;
        std::string_view line = lines_[next_++];
        if (!line.empty() && line.front() == '"') {
            line.remove_prefix(1);
            if (!line.empty()) line.remove_suffix(1);
        }
        Value value{std::string(line), std::string(line)};
        if (!utf8_ && !IsValidUtf8(line)) value.text = Cp932ToUtf8(line);
        return value;
    }

    // The next line as a signed 32-bit integer. Nothing at the end of the
    // file, for text that is not a number and for values out of range.
    std::optional<int32_t> Integer() {
        if (Remaining() == 0) return std::nullopt;
        const auto number = ParseNumber(lines_[next_++]);
        if (!number) return std::nullopt;
        const double rounded = RoundEven(*number);
        if (rounded < std::numeric_limits<int32_t>::min() ||
            rounded > std::numeric_limits<int32_t>::max())
            return std::nullopt;
        return static_cast<int32_t>(rounded);
    }

  private:
    std::vector<std::string_view> lines_;
    size_t next_ = 0;
    bool utf8_ = true;
};

// True when a stored image path was written by the Windows program: it has
// a drive letter or starts with "\", or the project is not UTF-8 (so cp932
// from Windows) and the path is not one of this system, which always starts
// with "/" here.
bool StoredOnWindows(const LineReader::Value& stored, bool utf8File) {
    if (IsWindowsPath(stored.text)) return true;
    return !utf8File && !stored.text.empty() && stored.text.front() != '/' &&
           stored.text.find('\\') != std::string::npos;
}

// The image path to use for a stored one: the stored path when a file is
// there, otherwise the file of that name in `projectFolder` when one is
// there. File names are bytes, so the stored bytes are tried first and then
// their decoded text. A path of this system names its file after the last
// "/" only ("\" is part of a Linux name); a path from the Windows program
// after the last "\" or "/", split as cp932 so that the second byte of 表 or
// ソ (0x5C) stays in the name.
std::optional<std::string> ResolveImage(const LineReader::Value& stored,
                                        const std::string& projectFolder, bool utf8File) {
    for (const std::string* path : {&stored.raw, &stored.text})
        if (FileExists(*path)) return *path;
    const bool windows = StoredOnWindows(stored, utf8File);
    for (const std::string* path : {&stored.raw, &stored.text}) {
        const std::string name = windows ? WindowsPathFileName(*path) : PathFileName(*path);
        if (name.empty()) continue;
        const std::string beside = projectFolder + name;
        if (FileExists(beside)) return beside;
    }
    return std::nullopt;
}

// A whole number of at most 9 digits, a "-" before it allowed; nothing
// for any other text.
std::optional<int> StrictInteger(std::string_view text) {
    const bool negative = !text.empty() && text.front() == '-';
    if (negative) text.remove_prefix(1);
    if (text.empty() || text.size() > 9) return std::nullopt;
    int value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return negative ? -value : value;
}

// Reads the key lines of the [run] section up to the next line starting
// with "[" (left unread). Empty text on success, otherwise why not.
std::string ReadRunSection(LineReader& in, RunOptions& run) {
    constexpr int kKeyCount = 5;
    bool seen[kKeyCount] = {};
    constexpr std::string_view kKeys[kKeyCount] = {"hold-start", "hold-end", "ease", "colour-ease",
                                                   "quality"};
    while (in.Remaining() > 0) {
        const std::string_view line = TrimBlanks(*in.Line());
        if (line.empty()) continue;
        if (line.front() == '[') {
            in.Unread();
            return {};
        }
        const size_t equals = line.find('=');
        if (equals == std::string_view::npos)
            return Tr("ProjectFile", "「キー=値」の形ではありません");
        const std::string_view key = line.substr(0, equals);
        const std::string value(line.substr(equals + 1));
        int index = 0;
        while (index < kKeyCount && kKeys[index] != key) ++index;
        if (index == kKeyCount) return Tr("ProjectFile", "[run] に知らないキーがあります");
        if (seen[index])
            return Format(Tr("ProjectFile", "キー「%1」が二度あります"), {kKeys[index]});
        seen[index] = true;
        if (index < 2) {
            const auto frames = StrictInteger(value);
            if (!frames || *frames < 0 || *frames > kMaxHoldFrames)
                return Format(Tr("ProjectFile", "保持するフレーム数は 0 から %1 までの整数です"),
                              {std::to_string(kMaxHoldFrames)});
            (index == 0 ? run.HoldStart : run.HoldEnd) = *frames;
        } else if (index == 4) {
            if (value != "standard" && value != "smooth")
                return Tr("ProjectFile", "画質は standard か smooth です");
            run.Smooth = value == "smooth";
        } else {
            const auto easing = EasingFromName(value);
            if (!easing) return Tr("ProjectFile", "カーブは linear、in、out、in-out のどれかです");
            if (index == 2)
                run.Motion = *easing;
            else
                run.Dissolve = *easing;
        }
    }
    return {};
}

// Reads the lines of a section of point pairs: "count=N", then N lines
// "x1 y1 x2 y2" of whole numbers, into `first` and `second`; `lines`
// receives each pair's line number. Empty text on success, otherwise why not.
std::string ReadPairLines(LineReader& in, std::vector<Point>& first, std::vector<Point>& second,
                          std::vector<size_t>& lines) {
    const auto countLine = in.Line();
    if (!countLine || countLine->substr(0, 6) != "count=") return Tr("ProjectFile", "点の数の行（count=）がありません");
    const auto count = StrictInteger(countLine->substr(6));
    if (!count || *count < 1 || *count > kMaxFreePairs)
        return Format(Tr("ProjectFile", "点の数は 1 から %1 までの整数です"), {std::to_string(kMaxFreePairs)});
    if (static_cast<size_t>(*count) > in.Remaining()) return Tr("ProjectFile", "点の行が足りません");
    for (int n = 0; n < *count; ++n) {
        const auto line = in.Line();
        int values[4];
        std::string_view rest = *line;
        for (int v = 0; v < 4; ++v) {
            const size_t space = v < 3 ? rest.find(' ') : std::string_view::npos;
            const auto number = StrictInteger(rest.substr(0, space));
            if (!number || (v < 3 && space == std::string_view::npos))
                return Tr("ProjectFile", "点の行は「x1 y1 x2 y2」の四つの整数です");
            values[v] = *number;
            rest = space == std::string_view::npos ? std::string_view() : rest.substr(space + 1);
        }
        first.push_back({values[0], values[1]});
        second.push_back({values[2], values[3]});
        lines.push_back(in.LineNumber());
    }
    return {};
}

// Reads the [points] section (see ReadPairLines) and checks the set as the
// window and `new --points` do (CheckFreePairs: within the pictures, off
// the grid points, one pair a start point, the mesh not folding). Empty
// text on success, otherwise why not; for a pair at fault `faultLine`
// receives the pair's line.
std::string ReadPointsSection(LineReader& in, MatrixRecord& m1, MatrixRecord& m2, size_t& faultLine) {
    MatrixRecord first = m1, second = m2;
    first.FreePoints.clear();
    second.FreePoints.clear();
    std::vector<size_t> lines;
    if (std::string why = ReadPairLines(in, first.FreePoints, second.FreePoints, lines); !why.empty())
        return why;
    const FreePairCheck check = CheckFreePairs(first, second);
    // Strokes read before the pairs: a fault of theirs is the section's.
    if (!check.Passed() && check.Stroke >= 0) return StrokeFaultText(first, second);
    if (!check.Passed()) {
        faultLine = lines[static_cast<size_t>(check.Pair)];
        const int otherLine = check.Other >= 0 ? static_cast<int>(lines[static_cast<size_t>(check.Other)]) : 0;
        return FreePairFaultText(check, otherLine);
    }
    m1.FreePoints = std::move(first.FreePoints);
    m2.FreePoints = std::move(second.FreePoints);
    return {};
}

// Reads a [face-points] or [fit-points] section: pairs as in [points] (each
// point within its picture), into the pairs the fit placed on faces or
// added for detail.
std::string ReadMarkedPointsSection(LineReader& in, const MatrixRecord& m1, const MatrixRecord& m2,
                                    std::vector<FreePair>& pairs) {
    std::vector<Point> first, second;
    std::vector<size_t> lines;
    if (std::string why = ReadPairLines(in, first, second, lines); !why.empty()) return why;
    pairs.clear();
    for (size_t n = 0; n < first.size(); ++n) {
        const Point a = first[n], b = second[n];
        if (a.X < 0 || a.X > m1.Width || a.Y < 0 || a.Y > m1.Height || b.X < 0 || b.X > m2.Width ||
            b.Y < 0 || b.Y > m2.Height)
            return Tr("ProjectFile", "点が画像の外にあります");
        pairs.push_back({a, b});
    }
    return {};
}

// Reads `count` lines of `values` whole numbers separated by one space.
std::string ReadNumberLines(LineReader& in, size_t count, int values, std::vector<int>& into) {
    if (count > in.Remaining()) return Tr("ProjectFile", "線の行が足りません");
    for (size_t n = 0; n < count; ++n) {
        std::string_view rest = *in.Line();
        for (int v = 0; v < values; ++v) {
            const size_t space = v < values - 1 ? rest.find(' ') : std::string_view::npos;
            const auto number = StrictInteger(rest.substr(0, space));
            if (!number || (v < values - 1 && space == std::string_view::npos))
                return values == 2 ? Tr("ProjectFile", "曲線の行は「x y」の二つの整数です")
                                   : Tr("ProjectFile", "点の行は「x1 y1 x2 y2」の四つの整数です");
            into.push_back(*number);
            rest = space == std::string_view::npos ? std::string_view() : rest.substr(space + 1);
        }
    }
    return {};
}

// Reads the [strokes] section: "count=N", then N strokes, each a line
// "stroke open|closed S E P", S lines "x y" of the start curve, E lines of
// the end curve and P lines "x1 y1 x2 y2" of its point pairs. The curves'
// points lie within their pictures; with the free pairs the set passes
// CheckFreePairs, else it is damage of the stroke's line.
std::string ReadStrokesSection(LineReader& in, MatrixRecord& m1, MatrixRecord& m2, size_t& faultLine) {
    const auto countLine = in.Line();
    if (!countLine || countLine->substr(0, 6) != "count=")
        return Tr("ProjectFile", "線の数の行（count=）がありません");
    const auto count = StrictInteger(countLine->substr(6));
    if (!count || *count < 1 || *count > kMaxStrokes)
        return Format(Tr("ProjectFile", "線の数は 1 から %1 までの整数です"), {std::to_string(kMaxStrokes)});
    MatrixRecord first = m1, second = m2;
    first.Strokes.clear();
    second.Strokes.clear();
    std::vector<size_t> lines;
    size_t allPoints = 0;
    const auto within = [](Point p, const MatrixRecord& m) {
        return p.X >= 0 && p.X <= m.Width && p.Y >= 0 && p.Y <= m.Height;
    };
    for (int n = 0; n < *count; ++n) {
        const auto head = in.Line();
        if (!head) return Tr("ProjectFile", "線の行が足りません");
        lines.push_back(in.LineNumber());
        std::string_view rest = *head;
        std::string_view words[5];
        for (auto& word : words) {
            const size_t space = rest.find(' ');
            word = rest.substr(0, space);
            rest = space == std::string_view::npos ? std::string_view() : rest.substr(space + 1);
        }
        const auto sizeOf = [&](std::string_view word, int low, int high) -> std::optional<int> {
            const auto value = StrictInteger(word);
            if (!value || *value < low || *value > high) return std::nullopt;
            return value;
        };
        const auto startCurve = sizeOf(words[2], 1, kMaxCurvePoints);
        const auto endCurve = sizeOf(words[3], 1, kMaxCurvePoints);
        const auto points = sizeOf(words[4], 2, kMaxFreePairs);
        if (words[0] != "stroke" || (words[1] != "open" && words[1] != "closed") || !startCurve ||
            !endCurve || !points || !rest.empty())
            return Format(Tr("ProjectFile",
                             "線の行は「stroke open|closed 始点側の曲線の点数 終点側の曲線の点数 "
                             "点の組の数」です（曲線は 1 から %1 点、組は 2 から %2 組）"),
                          {std::to_string(kMaxCurvePoints), std::to_string(kMaxFreePairs)});
        allPoints += static_cast<size_t>(*points);
        if (allPoints > static_cast<size_t>(kMaxFreePairs))
            return Format(Tr("ProjectFile", "線の点は合わせて %1 組までです"),
                          {std::to_string(kMaxFreePairs)});
        std::vector<int> values;
        Stroke a, b;
        a.Closed = b.Closed = words[1] == "closed";
        if (std::string why = ReadNumberLines(in, static_cast<size_t>(*startCurve), 2, values); !why.empty())
            return why;
        if (std::string why = ReadNumberLines(in, static_cast<size_t>(*endCurve), 2, values); !why.empty())
            return why;
        if (std::string why = ReadNumberLines(in, static_cast<size_t>(*points), 4, values); !why.empty())
            return why;
        size_t v = 0;
        for (int k = 0; k < *startCurve; ++k, v += 2) a.Curve.push_back({values[v], values[v + 1]});
        for (int k = 0; k < *endCurve; ++k, v += 2) b.Curve.push_back({values[v], values[v + 1]});
        for (int k = 0; k < *points; ++k, v += 4) {
            a.Points.push_back({values[v], values[v + 1]});
            b.Points.push_back({values[v + 2], values[v + 3]});
        }
        if (!std::all_of(a.Curve.begin(), a.Curve.end(), [&](Point p) { return within(p, m1); }) ||
            !std::all_of(b.Curve.begin(), b.Curve.end(), [&](Point p) { return within(p, m2); })) {
            faultLine = lines.back();
            return Tr("ProjectFile", "線の曲線が画像の外にあります");
        }
        first.Strokes.push_back(std::move(a));
        second.Strokes.push_back(std::move(b));
    }
    const FreePairCheck check = CheckFreePairs(first, second);
    if (!check.Passed()) {
        faultLine = check.Stroke >= 0 ? lines[static_cast<size_t>(check.Stroke)] : 0;
        return StrokeFaultText(first, second);
    }
    m1.Strokes = std::move(first.Strokes);
    m2.Strokes = std::move(second.Strokes);
    return {};
}

// True for a line that was meant as the additions marker: its letters,
// without the bytes an editor or a damaged disk may have put among them
// (controls such as NUL, blanks, other cases), spell it out.
bool LooksLikeMarker(std::string_view line) {
    std::string letters;
    for (const char c : line)
        if (c > ' ' && c < 0x7F) letters += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return letters.find("fennix-additions") != std::string::npos;
}

// Reads the additions block when the lines after the background colour
// start with one. Empty text on success (also when there is no block),
// otherwise the line number and why it cannot be read.
std::string ReadAdditions(LineReader& in, MorphProject& project, size_t& failedLine) {
    ProjectAdditions& additions = project.Additions;
    auto fail = [&](std::string why) {
        failedLine = in.LineNumber();
        return why;
    };
    // The block starts at the first line after the plain lines that is not
    // blank, its marker with blanks around it as well (an editor may have
    // added them). Other text there is ignored as it always was, unless it
    // is a marker that has been damaged: ignoring that would open the
    // project without its holds and points, and the next save would drop
    // them for good.
    std::optional<std::string_view> marker;
    while ((marker = in.Line()) && TrimBlanks(*marker).empty()) {
    }
    if (!marker) return {};
    if (TrimBlanks(*marker) != kAdditionsMarker) {
        if (LooksLikeMarker(*marker))
            return fail(Tr("ProjectFile", "追加情報の始まりの行が壊れています"));
        return {};
    }
    const auto version = in.Line();
    if (!version || version->substr(0, 8) != "version=")
        return fail(Tr("ProjectFile", "版の行（version=）がありません"));
    const auto number = StrictInteger(version->substr(8));
    if (!number || *number < 1) return fail(Tr("ProjectFile", "版の番号が正しくありません"));
    if (*number > kAdditionsVersion)
        return fail(Format(Tr("ProjectFile", "版 %1 の追加情報はこのプログラムでは読めません"),
                           {std::to_string(*number)}));
    bool runSeen = false, pointsSeen = false, facePointsSeen = false, fitPointsSeen = false,
         strokesSeen = false;
    while (true) {
        const auto line = in.Line();
        if (!line) return fail(Tr("ProjectFile", "終わりの行（[end]）がないまま終わっています"));
        const std::string_view name = TrimBlanks(*line);
        if (name.empty()) continue;
        if (name == kAdditionsEnd) break;
        if (name == kRunSection) {
            if (runSeen) return fail(Tr("ProjectFile", "[run] が二度あります"));
            runSeen = true;
            if (std::string why = ReadRunSection(in, additions.Run); !why.empty()) return fail(why);
            continue;
        }
        if (name == kPointsSection) {
            if (pointsSeen) return fail(Tr("ProjectFile", "[points] が二度あります"));
            pointsSeen = true;
            size_t faultLine = 0;
            if (std::string why =
                    ReadPointsSection(in, project.Matrix1, project.Matrix2, faultLine);
                !why.empty()) {
                if (faultLine == 0) return fail(why);
                failedLine = faultLine;
                return why;
            }
            continue;
        }
        if (name == kFacePointsSection) {
            if (facePointsSeen) return fail(Tr("ProjectFile", "[face-points] が二度あります"));
            facePointsSeen = true;
            if (std::string why = ReadMarkedPointsSection(in, project.Matrix1, project.Matrix2,
                                                          additions.FacePairs);
                !why.empty())
                return fail(why);
            continue;
        }
        if (name == kFitPointsSection) {
            if (fitPointsSeen) return fail(Tr("ProjectFile", "[fit-points] が二度あります"));
            fitPointsSeen = true;
            if (std::string why = ReadMarkedPointsSection(in, project.Matrix1, project.Matrix2,
                                                          additions.DetailPairs);
                !why.empty())
                return fail(why);
            continue;
        }
        if (name == kStrokesSection) {
            if (strokesSeen) return fail(Tr("ProjectFile", "[strokes] が二度あります"));
            strokesSeen = true;
            size_t faultLine = 0;
            if (std::string why = ReadStrokesSection(in, project.Matrix1, project.Matrix2, faultLine);
                !why.empty()) {
                if (faultLine == 0) return fail(why);
                failedLine = faultLine;
                return why;
            }
            continue;
        }
        return fail(Tr("ProjectFile", "知らない節か行です"));
    }
    while (const auto line = in.Line())
        if (!TrimBlanks(*line).empty()) return fail(Tr("ProjectFile", "[end] の後に行があります"));
    return {};
}

enum class BlockResult { Ok, Malformed, ImageMissing };

// Reads one matrix block into `m`. `imagePath` receives the stored image path
// (for the message when it cannot be found).
BlockResult ReadBlock(LineReader& in, const std::string& projectFolder, MatrixRecord& m,
                      std::string& imagePath) {
    const auto pointerColor = in.Integer();
    const auto pointerSize = in.Integer();
    if (!pointerColor || !pointerSize) return BlockResult::Malformed;
    const auto stored = in.String();
    if (!stored) return BlockResult::Malformed;
    imagePath = stored->text;
    const auto resolved = ResolveImage(*stored, projectFolder, in.Utf8());
    if (!resolved) return BlockResult::ImageMissing;

    const auto rows = in.Integer();
    const auto columns = in.Integer();
    const auto height = in.Integer();
    if (!rows || !columns || !height || *rows < 1 || *columns < 1) return BlockResult::Malformed;
    // The points and the two lines after them must all be in the file, so a
    // damaged count never makes us allocate more points than there are lines.
    const int64_t countI = static_cast<int64_t>(*rows) + 1;
    const int64_t countJ = static_cast<int64_t>(*columns) + 1;
    if (countI > static_cast<int64_t>(in.Remaining()) ||
        countJ > static_cast<int64_t>(in.Remaining()) ||
        2 * countI * countJ + 2 > static_cast<int64_t>(in.Remaining()))
        return BlockResult::Malformed;

    m = MatrixRecord{};
    m.PointerColor = *pointerColor;
    m.PointerSize = *pointerSize;
    m.ImagePath = *resolved;
    m.Rows = *rows;
    m.Columns = *columns;
    m.Height = *height;
    m.Points.Redim(static_cast<int>(countI), static_cast<int>(countJ));
    for (int j = 1; j <= countJ; ++j) {
        for (int i = 1; i <= countI; ++i) {
            const auto x = in.Integer();
            const auto y = in.Integer();
            if (!x || !y) return BlockResult::Malformed;
            m.Points(i, j) = Point{*x, *y};
        }
    }
    const auto width = in.Integer();
    const auto matrixColor = in.Integer();
    if (!width || !matrixColor) return BlockResult::Malformed;
    m.Width = *width;
    m.MatrixColor = *matrixColor;
    return BlockResult::Ok;
}

}  // namespace

std::string SaveMorphFile(const std::string& path, const MatrixRecord& m1, const MatrixRecord& m2,
                          const std::string& folder, int32_t lastFrame, int32_t backgroundColor,
                          std::string* reason, const ProjectAdditions& additions) {
    const std::string failed = Tr("ProjectFile", kSaveFailed) + path;
    if (path.empty() || HasLineBreak(folder) || !Writable(m1) || !Writable(m2)) {
        if (reason) *reason = "a path holds a line break, or a grid is incomplete";
        return failed;
    }

    // The project never takes the place of one of its own pictures (a name,
    // a link or a hard link of it): the picture would be lost.
    for (const MatrixRecord* m : {&m1, &m2}) {
        if (!SameFile(path, m->ImagePath)) continue;
        const bool start = m == &m1;
        if (reason)
            *reason = std::string("it is the same file as the ") + (start ? "start" : "end") +
                      " picture " + m->ImagePath;
        return failed + "\n" +
               Format(start ? Tr("ProjectFile", "開始画像（%1）と同じファイルには保存できません。")
                            : Tr("ProjectFile", "終了画像（%1）と同じファイルには保存できません。"),
                      {m->ImagePath});
    }

    std::string out;
    PutString(out, folder);
    PutInteger(out, lastFrame);
    PutBlock(out, m1);
    PutBlock(out, m2);
    PutInteger(out, backgroundColor);
    PutAdditions(out, additions, m1, m2);

    if (!ReplaceFileContents(path, out, reason)) return failed;
    return {};
}

std::string LoadMorphFile(const std::string& path, MorphProject& project) {
    const std::string failed = Tr("ProjectFile", kLoadFailed) + path;
    // Only a regular file is read: a pipe or device given as the project
    // would block the window or never end.
    const auto bytes = ReadRegularFile(path, kMaxProjectBytes);
    if (!bytes) return failed;
    std::string_view text = *bytes;
    const bool utf8 = IsValidUtf8(text);
    if (utf8 && text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    auto lines = SplitLines(text);
    if (!lines) return failed;
    LineReader in(std::move(*lines), utf8);
    const std::string projectFolder = PathFolder(path);

    MorphProject read;
    const auto folder = in.String();
    const auto lastFrame = in.Integer();
    if (!folder || !lastFrame) return failed;
    read.Folder = DirectoryExists(folder->raw)    ? folder->raw
                  : DirectoryExists(folder->text) ? folder->text
                                                  : ApplicationFolder() + "/";
    read.LastFrame = *lastFrame;

    for (MatrixRecord* m : {&read.Matrix1, &read.Matrix2}) {
        std::string imagePath;
        switch (ReadBlock(in, projectFolder, *m, imagePath)) {
            case BlockResult::Ok:
                break;
            case BlockResult::ImageMissing:
                return Tr("ProjectFile", kImageMissing) + imagePath;
            case BlockResult::Malformed:
                return failed;
        }
    }

    const auto backgroundColor = in.Integer();
    if (!backgroundColor) return failed;
    read.BackgroundColor = *backgroundColor;
    size_t failedLine = 0;
    if (const std::string why = ReadAdditions(in, read, failedLine); !why.empty())
        return Format(Tr("ProjectFile",
                         "モーフィングファイルの追加情報が壊れています（%1 行目：%2）。"),
                      {std::to_string(failedLine), why}) +
               path;

    project = std::move(read);
    return {};
}

std::string ProjectFileTarget(const std::string& chosen) {
    const bool hasExtension = chosen.size() >= 4 && chosen.compare(chosen.size() - 4, 4, ".mph") == 0;
    return hasExtension ? chosen : chosen + ".mph";
}

}  // namespace fennix
