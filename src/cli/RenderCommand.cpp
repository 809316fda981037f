// fennix-morph render: the frames of one project, or of several one after
// the other, into a folder.

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <limits>
#include <system_error>

#include "cli/CommandInputs.h"
#include "cli/Commands.h"
#include "core/NumberText.h"
#include "core/Paths.h"
#include "core/SafeWrite.h"
#include "core/ScratchFolder.h"
#include "engine/MorphChain.h"
#include "engine/MorphRun.h"
#include "media/FrameSequence.h"
#include "model/RunSpace.h"

namespace fennix::cli {

namespace {

namespace fs = std::filesystem;

using Inputs = std::vector<std::pair<std::string, std::string>>;

// True when `path` is the very file of one of `inputs` (what and where).
bool IsInput(const std::string& path, const Inputs& inputs) {
    return !SameFileAsInput(path, inputs).empty();
}

// Why a run of frames 0 … lastFrame of `kind` may not write into `folder`,
// empty when it may: a link named like a frame (a frame would be written
// through it, to a file outside the folder), or a frame the run writes that
// is one of `inputs` (the project or a picture, under that name, through a
// link or as a hard link).
std::string CheckFrameFolder(const std::string& folder, int kind, int lastFrame,
                             const Inputs& inputs) {
    // By frame number, so the message names the first frame concerned.
    std::vector<std::string> names;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error))
        names.push_back(it->path().filename().native());
    std::sort(names.begin(), names.end(), FrameOrderLess);
    for (const std::string& name : names) {
        struct stat info {};
        if (IsFrameFileName(name) && ::lstat(JoinPath(folder, name).c_str(), &info) == 0 &&
            S_ISLNK(info.st_mode))
            return "the folder " + folder + " holds the link " + name +
                   " named like a frame; frames are never written through links";
    }
    for (const std::string& name : names) {
        // A name this run writes: frame k of its kind, k up to lastFrame.
        if (!IsWrittenFrameName(name)) continue;
        const auto k = ParseNumber(name.substr(0, name.size() - 4));
        if (!k || *k > lastFrame || name != FrameFileName(static_cast<int>(*k), kind)) continue;
        const std::string frame = JoinPath(folder, name);
        for (const auto& input : inputs)
            if (SameFile(frame, input.second))
                return "the frame " + frame + " would replace the " + input.first + " " +
                       input.second;
    }
    return {};
}

// The projects of a render, read and checked with their pictures before
// anything is written; `total` receives the number of frames they write.
std::string ReadRenderProjects(const std::vector<std::string>& paths, const RunOverrides& overrides,
                               std::vector<ChainProject>& projects, int64_t& total) {
    std::string previousEndPath;
    std::optional<QImage> previousEnd;
    QSize previousSize;
    total = 0;
    for (const std::string& path : paths) {
        ChainProject link;
        link.path = path;
        MorphProject& project = link.project;
        QImage start, end;
        if (const std::string failure = LoadProject(path, project, start, end); !failure.empty())
            return failure;
        if (project.LastFrame < 1) return "the project " + path + " has fewer than 2 frames";
        const bool joined = previousEnd && IsJoint(previousEndPath, *previousEnd, previousSize,
                                                   project.Matrix1.ImagePath, start);
        total += WrittenFrameCount(overrides.AppliedTo(project.Additions.Run), project.LastFrame,
                                   joined);
        if (total > std::numeric_limits<int32_t>::max()) return "the projects make too many frames";
        previousEndPath = project.Matrix2.ImagePath;
        previousSize = start.size();
        // The first project runs first: its pictures are handed on, not read
        // again. The others are read in their turn, so that a long chain
        // never holds all its pictures at once.
        if (projects.empty()) {
            link.start = std::move(start);
            link.end = end;
        }
        previousEnd = std::move(end);
        projects.push_back(std::move(link));
    }
    return {};
}

// Reads the timing options into `overrides`; empty text, or what is wrong.
std::string ReadRunOptions(const Invocation& run, RunOverrides& overrides) {
    for (const char* name : {"hold-start", "hold-end"}) {
        const auto value = run.Value(name);
        if (!value) continue;
        const auto frames = CountOption(*value, 0);
        if (!frames || *frames > kMaxHoldFrames)
            return "--" + std::string(name) + " needs a whole number from 0 to " +
                   std::to_string(kMaxHoldFrames);
        (name == std::string_view("hold-start") ? overrides.HoldStart : overrides.HoldEnd) =
            *frames;
    }
    for (const char* name : {"ease", "colour-ease"}) {
        const auto value = run.Value(name);
        if (!value) continue;
        const auto easing = EasingFromName(*value);
        if (!easing) return "--" + std::string(name) + " takes linear, in, out or in-out";
        (name == std::string_view("ease") ? overrides.Motion : overrides.Dissolve) = *easing;
    }
    if (run.Has("smooth") && run.Has("standard"))
        return "--smooth and --standard exclude each other";
    if (run.Has("smooth") || run.Has("standard")) overrides.Smooth = run.Has("smooth");
    return {};
}

int RunRender(const Invocation& run) {
    const bool jpeg = run.Has("jpeg");
    RunOverrides overrides;
    if (const std::string why = ReadRunOptions(run, overrides); !why.empty()) return run.Usage(why);
    std::vector<std::string> paths = run.Arguments();
    const std::string folder = paths.back();
    paths.pop_back();

    std::vector<ChainProject> projects;
    int64_t total = 0;
    if (const std::string failure = ReadRenderProjects(paths, overrides, projects, total);
        !failure.empty())
        return run.Fail(failure);
    // Frames that would not fit are refused before the first is written,
    // rather than a run that stops half-way on a full disk.
    const uint64_t needed = ChainFrameBytes(projects, overrides, jpeg ? 1 : 0);
    if (const auto space = RunSpaceShortage(folder, needed); space && !run.Force())
        return run.Fail("the frames need about " + SizeText(space->needed) + " but only " +
                        SizeText(space->free) + " is free for " + folder +
                        "; use --force to write them all the same");

    std::error_code error;
    fs::create_directories(folder, error);
    if (!DirectoryExists(folder))
        return run.Fail("cannot create the folder " + folder +
                        (error ? ": " + error.message() : std::string()));
    RemoveAbandonedScratchFiles(folder);
    Inputs inputs;
    for (const ChainProject& link : projects) {
        inputs.push_back({"project", link.path});
        inputs.push_back({"start picture", link.project.Matrix1.ImagePath});
        inputs.push_back({"end picture", link.project.Matrix2.ImagePath});
    }
    if (const std::string failure = CheckFrameFolder(folder, jpeg ? kJpegFrames : kBitmapFrames,
                                                     static_cast<int>(total - 1), inputs);
        !failure.empty())
        return run.Fail(failure);
    // Old frames would mix with the new ones (and an AVI of the folder would
    // pack both runs), so they are only replaced when asked.
    if (const auto old = ListFrameFiles(folder); !old.empty()) {
        if (!run.Force())
            return run.Fail("the folder " + folder + " already holds frames (" + old.front() +
                            "); use --force to replace them");
        // Only what a run wrote goes: the names a run gives its frames, and
        // never the project's own pictures, whatever they are called.
        for (const std::string& name : old) {
            const std::string path = JoinPath(folder, name);
            if (!IsWrittenFrameName(name) || IsInput(path, inputs)) continue;
            if (!RemoveRegularFile(path)) return run.Fail("cannot remove the old frame " + path);
        }
    }
    ScratchFolder scratch(SystemTempFolder(), kScratchPrefix);
    if (jpeg && !scratch.Valid()) return run.Fail("cannot create a temporary folder");

    FrameOutput output;
    output.frameFolder = JoinPath(folder, "");
    output.saveKind = jpeg ? 1 : 0;
    output.tempFolder = scratch.Path();
    output.companionFolder = run.ProgramFolder();
    ProgressLine line(run.Err(), run.ShowsProgress());
    MorphProgress progress;
    progress.afterFrame = [&](int k) { line.Show("frame", int64_t{k} + 1, total); };
    const ChainOutcome outcome = RunMorphChain(projects, overrides, output, progress);
    line.End();
    if (!outcome.failure.empty()) {
        if (projects.size() == 1) return run.Fail(outcome.failure);
        return run.Fail(projects[static_cast<size_t>(outcome.project)].path + ": " +
                        outcome.failure);
    }
    return kSuccess;
}

}  // namespace

const Command& RenderCommand() {
    static const Command command = {
        .name = "render",
        .summary = "writes the frames of projects into a folder",
        .arguments = "PROJECT.mph [PROJECT.mph ...] OUTDIR",
        .needs = "PROJECT.mph OUTDIR",
        .minArguments = 2,
        .maxArguments = kAnyNumber,
        .description =
            "Writes the frames of the project as OUTDIR/000.bmp, 001.bmp ... (or .jpg with\n"
            "--jpeg), creating OUTDIR when it is missing. A folder that already holds frames\n"
            "is refused unless --force is given. A link named like a frame in OUTDIR is\n"
            "refused, as is a frame that would replace the project or one of its pictures,\n"
            "with --force too. Frames that would not fit into the free space of OUTDIR's\n"
            "disk (long holds, say) are refused before the first is written; --force\n"
            "writes them all the same.\n"
            "Several projects are rendered one after the other into OUTDIR, numbered on\n"
            "across them; where a project starts on the picture the one before ended on\n"
            "(the same file or the same pixels) that frame is written once.\n"
            "The timing and quality options replace what the projects set.\n",
        .options =
            {
                {"jpeg", "", "JPEG frames (000.jpg ...) instead of bitmaps"},
                {"force", "",
                 "first remove the frames a run wrote there (000.bmp ... or "
                 "000.jpg ..., and nothing else: never the project's own pictures), "
                 "and write frames that would not fit into the free space of its disk"},
                {"ease", "CURVE",
                 "how the motion runs: linear (even pace), in (slow start, "
                 "t^2), out (slow end, 1-(1-t)^2) or in-out (3t^2-2t^3)"},
                {"colour-ease", "CURVE", "a curve of its own for the colour dissolve"},
                {"hold-start", "N", "N more copies of the first frame (0 ... 100000)"},
                {"hold-end", "M", "M more copies of the last frame (0 ... 100000)"},
                {"smooth", "",
                 "smooth frames: the grid moves by fractions of a pixel and the "
                 "pictures are read filtered (bilinear, mip-mapped where a triangle "
                 "shrinks them)"},
                {"standard", "", "the exact frames, every position a whole pixel (default)"},
            },
        .run = RunRender,
    };
    return command;
}

}  // namespace fennix::cli
