#include "model/StrokeMaking.h"

#include <algorithm>
#include <cmath>
#include <unordered_set>

#include "core/NumberText.h"
#include "core/Rounding.h"
#include "core/Translation.h"
#include "model/FreeMesh.h"
#include "model/FreePairCheck.h"

namespace fennix {

namespace {

uint64_t PlaceKey(Point p) {
    return (uint64_t{static_cast<uint32_t>(p.X)} << 32) | static_cast<uint32_t>(p.Y);
}

double Distance(Point a, Point b) { return std::hypot(static_cast<double>(b.X) - a.X, static_cast<double>(b.Y) - a.Y); }

// A polyline (closed: back to its first point) measured along its length.
class Measured {
  public:
    Measured(const std::vector<Point>& curve, bool closed) : curve_(curve) {
        if (closed && curve.size() > 1) curve_.push_back(curve.front());
        lengths_.push_back(0);
        for (size_t k = 1; k < curve_.size(); ++k)
            lengths_.push_back(lengths_.back() + Distance(curve_[k - 1], curve_[k]));
    }

    double Length() const { return lengths_.back(); }

    // The place at `fraction` (0 … 1) of the length, rounded to pixels.
    Point At(double fraction) const {
        if (curve_.size() == 1 || Length() <= 0) return curve_.front();
        const double along = std::clamp(fraction, 0.0, 1.0) * Length();
        const auto after = std::upper_bound(lengths_.begin(), lengths_.end(), along);
        if (after == lengths_.end()) return curve_.back();
        const size_t k = static_cast<size_t>(after - lengths_.begin());
        const double piece = lengths_[k] - lengths_[k - 1];
        const double t = piece > 0 ? (along - lengths_[k - 1]) / piece : 0;
        const Point a = curve_[k - 1], b = curve_[k];
        return {RoundEvenInt(a.X + t * (static_cast<double>(b.X) - a.X)), RoundEvenInt(a.Y + t * (static_cast<double>(b.Y) - a.Y))};
    }

  private:
    std::vector<Point> curve_;
    std::vector<double> lengths_;
};

}  // namespace

std::vector<FreePair> PlaceAlongCurves(const std::vector<Point>& startCurve,
                                       const std::vector<Point>& endCurve, bool closed,
                                       double spacing) {
    if (startCurve.empty() || endCurve.empty()) return {};
    const Measured first(startCurve, closed), second(endCurve, closed);
    const double steps = std::round(first.Length() / std::max(spacing, 1.0));
    const int count = static_cast<int>(std::clamp(steps, closed ? 3.0 : 1.0, 1e5));
    std::vector<FreePair> pairs;
    const int last = closed ? count - 1 : count;
    for (int i = 0; i <= last; ++i) {
        const double fraction = static_cast<double>(i) / count;
        pairs.push_back({first.At(fraction), second.At(fraction)});
    }
    return pairs;
}

StrokeSides MakeStrokeSides(const MatrixRecord& start, const std::vector<Point>& startCurve,
                            const std::vector<Point>& endCurve, bool closed, int skip) {
    std::unordered_set<uint64_t> taken;
    const PointGrid& grid = start.Points;
    for (int j = 1; j <= grid.CountJ(); ++j)
        for (int i = 1; i <= grid.CountI(); ++i) taken.insert(PlaceKey(grid(i, j)));
    for (const Point& p : start.FreePoints) taken.insert(PlaceKey(p));
    for (size_t n = 0; n < start.Strokes.size(); ++n)
        if (static_cast<int>(n) != skip)
            for (const Point& p : start.Strokes[n].Points) taken.insert(PlaceKey(p));
    StrokeSides sides;
    sides.Start.Curve = startCurve;
    sides.End.Curve = endCurve;
    sides.Start.Closed = sides.End.Closed = closed;
    for (const FreePair& pair : PlaceAlongCurves(startCurve, endCurve, closed)) {
        if (!taken.insert(PlaceKey(pair.Start)).second) continue;
        sides.Start.Points.push_back(pair.Start);
        sides.End.Points.push_back(pair.End);
    }
    return sides;
}

namespace {

// Puts the sides in as stroke n (appended when n is the count) and checks;
// undone when the check fails.
std::string PutChecked(MatrixRecord& start, MatrixRecord& end, size_t n, StrokeSides sides) {
    const bool added = n == start.Strokes.size();
    std::optional<StrokeSides> before;
    if (added) {
        start.Strokes.push_back(std::move(sides.Start));
        end.Strokes.push_back(std::move(sides.End));
    } else {
        before = StrokeSides{start.Strokes[n], end.Strokes[n]};
        start.Strokes[n] = std::move(sides.Start);
        end.Strokes[n] = std::move(sides.End);
    }
    std::string why = StrokeFaultText(start, end);
    if (why.empty()) return why;
    if (added) {
        start.Strokes.pop_back();
        end.Strokes.pop_back();
    } else {
        start.Strokes[n] = std::move(before->Start);
        end.Strokes[n] = std::move(before->End);
    }
    return why;
}

}  // namespace

std::string AddStroke(MatrixRecord& start, MatrixRecord& end, const std::vector<Point>& startCurve,
                      const std::vector<Point>& endCurve, bool closed) {
    if (start.Strokes.size() != end.Strokes.size())
        return Tr("StrokeMaking", "二つの画像の線の数が違います。");
    if (static_cast<int>(start.Strokes.size()) >= kMaxStrokes)
        return Format(Tr("StrokeMaking", "線は %1 本までです。"), {std::to_string(kMaxStrokes)});
    return PutChecked(start, end, start.Strokes.size(),
                      MakeStrokeSides(start, startCurve, endCurve, closed));
}

std::string RedrawStroke(MatrixRecord& start, MatrixRecord& end, int n, int k,
                         const std::vector<Point>& curve) {
    if (n < 0 || static_cast<size_t>(n) >= std::min(start.Strokes.size(), end.Strokes.size()) ||
        (k != 1 && k != 2))
        return Tr("StrokeMaking", "その線はありません。");
    const size_t at = static_cast<size_t>(n);
    const std::vector<Point>& startCurve = k == 1 ? curve : start.Strokes[at].Curve;
    const std::vector<Point>& endCurve = k == 2 ? curve : end.Strokes[at].Curve;
    return PutChecked(start, end, at,
                      MakeStrokeSides(start, startCurve, endCurve, start.Strokes[at].Closed, n));
}

bool RemoveStroke(MatrixRecord& start, MatrixRecord& end, int n) {
    if (n < 0 || static_cast<size_t>(n) >= start.Strokes.size() ||
        static_cast<size_t>(n) >= end.Strokes.size())
        return false;
    start.Strokes.erase(start.Strokes.begin() + n);
    end.Strokes.erase(end.Strokes.begin() + n);
    return true;
}

bool CurveLooksClosed(const std::vector<Point>& curve) {
    if (curve.size() < 3) return false;
    const double length = Measured(curve, false).Length();
    return length >= 40 && Distance(curve.front(), curve.back()) <= std::max(12.0, length / 10);
}

std::optional<int> FindHitStroke(const MatrixRecord& matrix, double x, double y, ZoomScale zoom) {
    for (int n = static_cast<int>(matrix.Strokes.size()) - 1; n >= 0; --n) {
        const Stroke& stroke = matrix.Strokes[static_cast<size_t>(n)];
        const size_t count = stroke.Points.size();
        const size_t segments = stroke.Closed && count > 2 ? count : count - (count > 0);
        for (size_t k = 0; k < segments; ++k) {
            const Point a = stroke.Points[k], b = stroke.Points[(k + 1) % count];
            const double ax = zoom.PaneExact(a.X), ay = zoom.PaneExact(a.Y);
            const double dx = zoom.PaneExact(b.X) - ax, dy = zoom.PaneExact(b.Y) - ay;
            const double span = dx * dx + dy * dy;
            const double t = span > 0 ? std::clamp(((x - ax) * dx + (y - ay) * dy) / span, 0.0, 1.0) : 0;
            if (std::hypot(ax + t * dx - x, ay + t * dy - y) <= 4) return n;
        }
    }
    return std::nullopt;
}

std::string StrokeFaultText(const MatrixRecord& start, const MatrixRecord& end) {
    const FreePairCheck check = CheckFreePairs(start, end);
    if (check.Passed()) return {};
    if (check.Stroke < 0)
        return Format(Tr("StrokeMaking", "自由点 %1：%2"),
                      {std::to_string(check.Pair + 1), FreePairFaultText(check, 0)});
    std::string why = check.Fault == FreePairFault::SameStart
                          ? std::string(Tr("StrokeMaking", "始点がほかの点と同じです"))
                          : FreePairFaultText(check, 0);
    if (check.Pair < 0)
        return Format(Tr("StrokeMaking", "線 %1：%2"), {std::to_string(check.Stroke + 1), why});
    return Format(Tr("StrokeMaking", "線 %1 の %2 番目の点：%3"),
                  {std::to_string(check.Stroke + 1), std::to_string(check.Pair + 1), why});
}

namespace {

bool Blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

std::vector<std::string_view> Fields(std::string_view line) {
    std::vector<std::string_view> fields;
    for (size_t at = 0; at < line.size();) {
        while (at < line.size() && Blank(line[at])) ++at;
        size_t last = at;
        while (last < line.size() && !Blank(line[last])) ++last;
        if (last > at) fields.push_back(line.substr(at, last - at));
        at = last;
        if (fields.size() > 3) break;
    }
    return fields;
}

}  // namespace

StrokesFile ParseStrokesFile(std::string_view text) {
    StrokesFile file;
    const auto stop = [&file](StrokesFileFault fault, int line) {
        file = StrokesFile{};
        file.Fault = fault;
        file.FaultLine = line;
        return file;
    };
    // 0: before a stroke, 1: its start curve, 2: its end curve.
    int part = 0;
    int lineNumber = 0;
    const auto finish = [&](int line) {
        if (part == 0) return StrokesFileFault::None;
        StrokeCurves& last = file.Strokes.back();
        if (part == 1) return StrokesFileFault::NoTo;
        (void)line;
        return last.End.empty() ? StrokesFileFault::TooFew : StrokesFileFault::None;
    };
    size_t from = 0;
    while (from < text.size()) {
        ++lineNumber;
        size_t end = text.find('\n', from);
        if (end == std::string_view::npos) end = text.size();
        const std::vector<std::string_view> fields = Fields(text.substr(from, end - from));
        from = end + 1;
        if (fields.empty() || fields[0].front() == '#') continue;
        if (fields[0] == "stroke") {
            if (const StrokesFileFault fault = finish(lineNumber); fault != StrokesFileFault::None)
                return stop(fault, lineNumber);
            if (fields.size() > 2 || (fields.size() == 2 && fields[1] != "closed"))
                return stop(StrokesFileFault::NotStroke, lineNumber);
            if (static_cast<int>(file.Strokes.size()) >= kMaxStrokes)
                return stop(StrokesFileFault::TooMany, lineNumber);
            file.Strokes.push_back({{}, {}, fields.size() == 2, lineNumber});
            part = 1;
            continue;
        }
        if (part == 0) return stop(StrokesFileFault::NotStroke, lineNumber);
        StrokeCurves& stroke = file.Strokes.back();
        if (fields[0] == "to") {
            if (fields.size() != 1 || part != 1) return stop(StrokesFileFault::NotPoint, lineNumber);
            if (stroke.Start.empty()) return stop(StrokesFileFault::TooFew, lineNumber);
            part = 2;
            continue;
        }
        if (fields.size() != 2) return stop(StrokesFileFault::NotPoint, lineNumber);
        int values[2] = {};
        for (int v = 0; v < 2; ++v) {
            const auto number = ParseNumber(fields[static_cast<size_t>(v)]);
            if (!number || !(std::abs(*number) < 1e9)) return stop(StrokesFileFault::NotPoint, lineNumber);
            values[v] = RoundEvenInt(*number);
        }
        std::vector<Point>& curve = part == 1 ? stroke.Start : stroke.End;
        if (static_cast<int>(curve.size()) >= kMaxCurvePoints)
            return stop(StrokesFileFault::TooMany, lineNumber);
        curve.push_back({values[0], values[1]});
    }
    if (const StrokesFileFault fault = finish(lineNumber); fault != StrokesFileFault::None)
        return stop(fault, lineNumber);
    return file;
}

std::string StrokesFileFaultText(StrokesFileFault fault) {
    switch (fault) {
        case StrokesFileFault::None:
            return {};
        case StrokesFileFault::NotStroke:
            return Tr("StrokeMaking", "「stroke」か「stroke closed」の行がありません");
        case StrokesFileFault::NotPoint:
            return Tr("StrokeMaking", "点の行は「x y」の二つの数か「to」です");
        case StrokesFileFault::NoTo:
            return Tr("StrokeMaking", "線に「to」の行がありません");
        case StrokesFileFault::TooFew:
            return Tr("StrokeMaking", "線の曲線に点がありません");
        case StrokesFileFault::TooMany:
            return Format(Tr("StrokeMaking", "線は %1 本、曲線の点は %2 個までです"),
                          {std::to_string(kMaxStrokes), std::to_string(kMaxCurvePoints)});
    }
    return {};
}

}  // namespace fennix
