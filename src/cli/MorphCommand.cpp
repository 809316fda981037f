// fennix-morph morph: the whole job in one command, from two pictures to a
// video or a folder of frames, through the steps new, fit, render and video
// (or avi) would take.

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>
#include <tuple>

#include "cli/Commands.h"
#include "core/Paths.h"
#include "core/ScratchFolder.h"
#include "media/FrameSequence.h"
#include "media/ImageFile.h"
#include "media/VideoExport.h"

namespace fennix::cli {

namespace {

// What OUTPUT of morph is: a video by its extension, else a frame folder.
enum class MorphOutput { Video, Avi, Frames };

MorphOutput MorphOutputOf(const std::string& output) {
    if (VideoFormatOfPath(output)) return MorphOutput::Video;
    std::string lower = output;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (lower.size() > 4 && lower.compare(lower.size() - 4, 4, ".avi") == 0)
        return MorphOutput::Avi;
    return MorphOutput::Frames;
}

// What the options ask for, as the steps' own options take them.
struct MorphSettings {
    std::string frames = "20", fps = "20", rows = "6", columns = "6";
    std::optional<std::string> size;
    bool smooth = true;
};

// Reads the options into `settings`; empty text, or what is wrong.
std::string ReadMorphOptions(const Invocation& run, MorphOutput kind, MorphSettings& settings) {
    for (const auto& [name, target, minimum] :
         {std::tuple{"frames", &settings.frames, 2}, std::tuple{"rows", &settings.rows, 1},
          std::tuple{"cols", &settings.columns, 1}}) {
        const auto text = run.Value(name);
        if (!text) continue;
        if (!CountOption(*text, minimum))
            return "--" + std::string(name) + " needs a whole number of at least " +
                   std::to_string(minimum);
        *target = *text;
    }
    if (const auto text = run.Value("fps")) {
        // An AVI plays at most 30 frames a second, the other videos 60.
        const int most = kind == MorphOutput::Avi ? 30 : 60;
        const auto rate = CountOption(*text, 1);
        if (!rate || *rate > most)
            return "--fps needs a whole number from 1 to " + std::to_string(most);
        settings.fps = *text;
    }
    if (const auto text = run.Value("size")) {
        if (!SizeOption(*text)) return "--size needs WxH with whole numbers of at least 1";
        settings.size = *text;
    }
    if (run.Has("smooth") && run.Has("standard"))
        return "--smooth and --standard exclude each other";
    settings.smooth = !run.Has("standard");
    return {};
}

// Why morph may not write `output`, empty when it may: a video never
// replaces START or END and an existing file only with --force; a frame
// folder must be a folder, and one that holds frames is used only with
// --force (render then replaces them, never the pictures themselves).
std::string CheckMorphOutput(const Invocation& run, MorphOutput kind) {
    const std::string &start = run.Arguments()[0], &end = run.Arguments()[1],
                      &output = run.Arguments()[2];
    if (kind != MorphOutput::Frames) {
        if (DirectoryExists(output)) return "the output " + output + " is a folder";
        return CheckOutput(output, "video", {{"start picture", start}, {"end picture", end}},
                           run.Force());
    }
    if (!DirectoryExists(output)) {
        std::error_code error;
        if (std::filesystem::exists(std::filesystem::symlink_status(output, error)))
            return "the output " + output +
                   " is not a folder; frames go into a folder, a video's name ends in .mp4, "
                   ".webm, .gif or .avi";
        return {};
    }
    if (const auto old = ListFrameFiles(output); !old.empty() && !run.Force())
        return "the folder " + output + " already holds frames (" + old.front() +
               "); use --force to replace them";
    return {};
}

int RunMorph(const Invocation& run) {
    const std::string &start = run.Arguments()[0], &end = run.Arguments()[1],
                      &output = run.Arguments()[2];
    const MorphOutput kind = MorphOutputOf(output);
    MorphSettings settings;
    if (const std::string why = ReadMorphOptions(run, kind, settings); !why.empty())
        return run.Usage(why);
    if (const std::string why = CheckMorphOutput(run, kind); !why.empty()) return run.Fail(why);

    ImageFailure why = ImageFailure::None;
    const auto startImage = LoadImageFile(start, &why);
    if (!startImage) return run.Fail(CannotReadImage(start, why));
    const auto endImage = LoadImageFile(end, &why);
    if (!endImage) return run.Fail(CannotReadImage(end, why));
    const bool stretch = startImage->size() != endImage->size();

    // Each step runs as its own command would, with its own checks.
    auto step = [&](const Command& command, const std::vector<std::string>& args, bool quiet) {
        return RunCommand(command, args, quiet, run.Out(), run.Err(), run.ShowsProgress(),
                          run.ProgramFolder());
    };
    // The project, and the frames of a video, live in a scratch folder
    // removed after.
    ScratchFolder scratch(SystemTempFolder(), kScratchPrefix);
    if (!scratch.Valid()) return run.Fail("cannot create a temporary folder");
    const std::string project = JoinPath(scratch.Path(), "morph.mph");
    std::vector<std::string> newArgs = {start,          end,      project,          "--rows",
                                        settings.rows,  "--cols", settings.columns, "--frames",
                                        settings.frames};
    if (stretch) newArgs.insert(newArgs.end(), {"--fit", "stretch"});
    if (const int status = step(NewCommand(), newArgs, true); status != kSuccess) return status;
    // The fit says how it placed the grid (how many landmark pairs).
    if (const int status = step(FitCommand(), {project}, run.Quiet()); status != kSuccess)
        return status;

    const std::string frameFolder =
        kind == MorphOutput::Frames ? output : JoinPath(scratch.Path(), "frames");
    std::vector<std::string> renderArgs = {project, frameFolder,
                                           settings.smooth ? "--smooth" : "--standard"};
    if (run.Force() && kind == MorphOutput::Frames) renderArgs.push_back("--force");
    if (const int status = step(RenderCommand(), renderArgs, true); status != kSuccess)
        return status;

    if (kind != MorphOutput::Frames) {
        std::vector<std::string> videoArgs = {frameFolder, output, "--fps", settings.fps};
        if (settings.size) videoArgs.insert(videoArgs.end(), {"--size", *settings.size});
        if (run.Force()) videoArgs.push_back("--force");
        if (kind == MorphOutput::Avi) videoArgs.insert(videoArgs.end(), {"--codec", "mjpeg"});
        if (const int status =
                step(kind == MorphOutput::Avi ? AviCommand() : VideoCommand(), videoArgs, true);
            status != kSuccess)
            return status;
    }
    run.Summary("wrote " + output);
    return kSuccess;
}

}  // namespace

const Command& MorphCommand() {
    static const Command command = {
        .name = "morph",
        .summary = "makes a video or the frames of two pictures in one command",
        .arguments = "START END OUTPUT",
        .needs = "START END OUTPUT",
        .minArguments = 3,
        .maxArguments = 3,
        .description =
            "The whole job in one command: a project of the two pictures (the end picture\n"
            "stretched to the start picture's size when they differ), the automatic fit\n"
            "(faces included), the frames, then OUTPUT by its extension: .mp4, .webm or .gif\n"
            "as \"video\" makes them, .avi as \"avi\" does (MJPEG), or, for a folder, the\n"
            "frames themselves. The project and the frames of a video are made in a scratch\n"
            "folder and removed after. An existing OUTPUT video is replaced, and a folder\n"
            "that holds frames used, only with --force; START and END are never written\n"
            "over.\n",
        .options =
            {
                {"frames", "N", "N frames (at least 2, default 20)"},
                {"fps", "F",
                 "F frames per second (default 20; 1 ... 30 for an AVI, else 1 ... 60)"},
                {"size", "WxH", "the video's size (by default as \"video\" chooses it)"},
                {"rows", "R", "R cells across the grid (default 6)"},
                {"cols", "C", "C cells down the grid (default 6)"},
                {"smooth", "", "smooth frames, as \"render --smooth\" makes them (default)"},
                {"standard", "", "the exact frames, every position a whole pixel"},
                {"force", "",
                 "replace an existing OUTPUT video, or the frames a run wrote into "
                 "the OUTPUT folder"},
            },
        .run = RunMorph,
    };
    return command;
}

}  // namespace fennix::cli
