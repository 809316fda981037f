#include "engine/MorphChain.h"

#include <algorithm>
#include <limits>
#include <optional>

#include "core/Paths.h"
#include "core/Translation.h"
#include "media/ImageFile.h"
#include "model/RunSpace.h"

namespace fennix {

bool IsJoint(const std::string& previousEndPath, const QImage& previousEnd, QSize previousSize,
             const std::string& startPath, const QImage& start) {
    if (start.size() != previousSize || previousEnd.size() != previousSize) return false;
    if (SameFile(previousEndPath, startPath)) return true;
    return previousEnd.convertToFormat(QImage::Format_RGB32) == start.convertToFormat(QImage::Format_RGB32);
}

std::string ReadChainProjects(const std::vector<std::string>& paths, std::vector<ChainProject>& projects) {
    std::vector<ChainProject> read;
    for (const std::string& path : paths) {
        ChainProject link;
        link.path = path;
        if (std::string message = LoadMorphFile(path, link.project); !message.empty()) return message;
        if (link.project.LastFrame < 1)
            return path + Tr("MorphChain", "\nフレーム数が 2 より少ないプロジェクトです。");
        read.push_back(std::move(link));
    }
    projects = std::move(read);
    return {};
}

int64_t ChainFrameBound(const std::vector<ChainProject>& projects, const RunOverrides& overrides) {
    int64_t total = 0;
    for (const ChainProject& link : projects)
        total += WrittenFrameCount(overrides.AppliedTo(link.project.Additions.Run), link.project.LastFrame);
    return total;
}

uint64_t ChainFrameBytes(const std::vector<ChainProject>& projects, const RunOverrides& overrides,
                         int saveKind) {
    uint64_t total = 0;
    for (const ChainProject& link : projects) {
        const MatrixRecord& grid = link.project.Matrix1;
        const int64_t files =
            WrittenFrameCount(overrides.AppliedTo(link.project.Additions.Run), link.project.LastFrame);
        total += uint64_t(std::max<int64_t>(files, 0)) * FrameFileBytes(grid.Width, grid.Height, saveKind);
    }
    return total;
}

ChainOutcome RunMorphChain(const std::vector<ChainProject>& projects, const RunOverrides& overrides,
                           FrameOutput output, const MorphProgress& progress,
                           const ChainStart& started) {
    ChainOutcome outcome;
    std::string previousEndPath;
    QImage previousEnd;
    QSize previousSize;
    int64_t next = output.firstNumber;
    const int count = static_cast<int>(projects.size());
    for (int i = 0; i < count; ++i) {
        const MorphProject& project = projects[static_cast<size_t>(i)].project;
        outcome.project = i;
        if (progress.cancelled && progress.cancelled()) {
            outcome.failure = kMorphCancelled;
            return outcome;
        }
        if (started) started(i, count);
        const ChainProject& link = projects[static_cast<size_t>(i)];
        std::optional<QImage> pictures[2];
        for (int side = 0; side < 2; ++side) {
            const QImage& given = side == 0 ? link.start : link.end;
            if (!given.isNull()) {
                pictures[side] = given;
                continue;
            }
            const std::string& path = (side == 0 ? project.Matrix1 : project.Matrix2).ImagePath;
            pictures[side] = LoadImageFile(path);
            if (!pictures[side]) {
                outcome.failure = "cannot read the image " + path;
                outcome.image = path;
                return outcome;
            }
        }
        const QImage& start = *pictures[0];
        const QImage& end = *pictures[1];
        if (next > std::numeric_limits<int32_t>::max()) {
            outcome.failure = "the run has too many frames";
            return outcome;
        }
        output.firstNumber = static_cast<int>(next);
        output.joined = i > 0 && IsJoint(previousEndPath, previousEnd, previousSize,
                                         project.Matrix1.ImagePath, start);

        MorphSource source{&start, &end, &project.Matrix1, &project.Matrix2, project.LastFrame,
                           overrides.AppliedTo(project.Additions.Run)};
        PicturePane surface;
        surface.SetBackColor(project.BackgroundColor);
        surface.SetSize(start.width(), start.height());
        MorphProgress counted = progress;
        counted.afterFrame = [&](int k) {
            ++outcome.written;
            if (progress.afterFrame) progress.afterFrame(k);
        };
        outcome.failure = RunMorph(source, surface, output, counted);
        if (!outcome.failure.empty()) return outcome;
        next += WrittenFrameCount(source.options, project.LastFrame, output.joined);

        previousEndPath = project.Matrix2.ImagePath;
        previousEnd = end;
        previousSize = start.size();
    }
    outcome.project = -1;
    return outcome;
}

}  // namespace fennix
