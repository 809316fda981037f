#include "model/PointsFile.h"

#include <cmath>

#include "core/NumberText.h"
#include "core/Rounding.h"
#include "model/ProjectFile.h"

namespace fennix {

namespace {

bool Blank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

}  // namespace

PointPairs ParsePointPairs(std::string_view text) {
    PointPairs pairs;
    const auto stop = [&pairs](PointsFileFault fault, int line) {
        PointPairs failed;
        failed.Fault = fault;
        failed.FaultLine = line;
        pairs = std::move(failed);
        return pairs;
    };
    size_t from = 0;
    for (int lineNumber = 1; from < text.size(); ++lineNumber) {
        size_t end = text.find('\n', from);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view line = text.substr(from, end - from);
        from = end + 1;
        std::string_view fields[4];
        size_t count = 0;
        bool extra = false;
        for (size_t at = 0; at < line.size();) {
            while (at < line.size() && Blank(line[at])) ++at;
            size_t last = at;
            while (last < line.size() && !Blank(line[last])) ++last;
            if (last > at) {
                if (count < 4)
                    fields[count] = line.substr(at, last - at);
                else
                    extra = true;
                ++count;
            }
            at = last;
        }
        if (count == 0 || fields[0].front() == '#') continue;
        if (count != 4 || extra) return stop(PointsFileFault::NotFourNumbers, lineNumber);
        int values[4] = {};
        for (int v = 0; v < 4; ++v) {
            const auto number = ParseNumber(fields[v]);
            if (!number || !(std::abs(*number) < 1e9))
                return stop(PointsFileFault::NotFourNumbers, lineNumber);
            values[v] = RoundEvenInt(*number);
        }
        if (static_cast<int>(pairs.Start.size()) >= kMaxFreePairs)
            return stop(PointsFileFault::TooMany, lineNumber);
        pairs.Start.push_back({values[0], values[1]});
        pairs.End.push_back({values[2], values[3]});
        pairs.Lines.push_back(lineNumber);
    }
    return pairs;
}

}  // namespace fennix
