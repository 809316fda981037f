#include "cli/MorphCommands.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <limits>
#include <optional>
#include <system_error>

#include "core/NumberText.h"
#include "core/Paths.h"
#include "core/RegularFile.h"
#include "core/SafeWrite.h"
#include "core/ScratchFolder.h"
#include "core/Translation.h"
#include "engine/FaceLandmarks.h"
#include "engine/GridFit.h"
#include "engine/MorphChain.h"
#include "engine/MorphRun.h"
#include "media/AviFrames.h"
#include "media/AviWriter.h"
#include "media/FrameSequence.h"
#include "media/ImageFile.h"
#include "media/VideoExport.h"
#include "model/FreeMesh.h"
#include "model/FreePairCheck.h"
#include "model/MorphDocument.h"
#include "model/PointsFile.h"
#include "model/ProjectFile.h"
#include "model/RunSpace.h"

namespace fennix {

namespace {

namespace fs = std::filesystem;

constexpr const char* kUsage =
    "usage: fennix-morph new START END PROJECT.mph [--rows R] [--cols C] [--frames F]\n"
    "                        [--fit stretch] [--points FILE]\n"
    "       fennix-morph render PROJECT.mph [PROJECT.mph ...] OUTDIR [--jpeg] [--force]\n"
    "                          [--ease CURVE] [--colour-ease CURVE]\n"
    "                          [--hold-start N] [--hold-end M] [--smooth|--standard]\n"
    "       fennix-morph fit PROJECT.mph [--output OUT.mph] [--ref SX,SY,EX,EY ...]\n"
    "                        [--no-faces] [--face N]\n"
    "       fennix-morph faces PICTURE\n"
    "       fennix-morph morph START END OUTPUT [--frames N] [--fps F] [--size WxH]\n"
    "                          [--rows R --cols C]\n"
    "       fennix-morph avi FRAMEDIR OUTPUT.avi [--fps N] [--size WxH] [--codec NAME]\n"
    "       fennix-morph video FRAMEDIR OUTPUT [--fps N] [--size WxH]\n"
    "                          [--quality high|normal|small] [--pingpong]\n";

constexpr const char* kNewHelp =
    "usage: fennix-morph new START END PROJECT.mph [--rows R] [--cols C] [--frames F]\n"
    "                        [--fit stretch] [--points FILE]\n"
    "Writes a project whose two grids are regular: R cells across (default 5), C cells\n"
    "down (default 5), F frames (at least 2, default 20). The image paths are stored\n"
    "absolute. Pictures of different sizes are refused unless --fit stretch is given:\n"
    "the end picture is then stretched to the start picture's size when frames are made.\n"
    "--points FILE adds free point pairs beside the grid: one pair a line, x1 y1 x2 y2\n"
    "in pixels of the start picture (x1 y1) and of the end picture at the start\n"
    "picture's size (x2 y2); blank lines and lines starting with # are skipped. The\n"
    "whole set must fit: no point outside its picture, no start point on a grid point\n"
    "or on another pair's, no fold of the mesh. The project is never written over\n"
    "one of the pictures or the points file.\n";

constexpr const char* kRenderHelp =
    "usage: fennix-morph render PROJECT.mph [PROJECT.mph ...] OUTDIR [--jpeg] [--force]\n"
    "                           [--ease CURVE] [--colour-ease CURVE]\n"
    "                           [--hold-start N] [--hold-end M] [--smooth|--standard]\n"
    "Writes the frames of the project as OUTDIR/000.bmp, 001.bmp ... (or .jpg with\n"
    "--jpeg), creating OUTDIR when it is missing. A folder that already holds frames\n"
    "is refused; --force removes the frames a run wrote there (000.bmp ... or\n"
    "000.jpg ..., and nothing else: never the project's own pictures) first. A link\n"
    "named like a frame in OUTDIR is refused, as is a frame that would replace the\n"
    "project or one of its pictures. Frames that would not fit into the free space\n"
    "of OUTDIR's disk (long holds, say) are refused before the first is written;\n"
    "--force writes them all the same.\n"
    "Several projects are rendered one after the other into OUTDIR, numbered on\n"
    "across them; where a project starts on the picture the one before ended on\n"
    "(the same file or the same pixels) that frame is written once.\n"
    "Timing (each option replaces what the projects set):\n"
    "  --ease CURVE         how the motion runs: linear (even pace), in (slow start,\n"
    "                       t^2), out (slow end, 1-(1-t)^2) or in-out (3t^2-2t^3)\n"
    "  --colour-ease CURVE  a curve of its own for the colour dissolve\n"
    "  --hold-start N       N more copies of the first frame (0 ... 100000)\n"
    "  --hold-end M         M more copies of the last frame (0 ... 100000)\n"
    "Quality (replaces what the projects set):\n"
    "  --smooth             smooth frames: the grid moves by fractions of a pixel and\n"
    "                       the pictures are read filtered (bilinear, mip-mapped\n"
    "                       where a triangle shrinks them)\n"
    "  --standard           the exact frames, every position a whole pixel (default)\n";

constexpr const char* kFitHelp =
    "usage: fennix-morph fit PROJECT.mph [--output OUT.mph] [--ref SX,SY,EX,EY ...]\n"
    "                        [--no-faces] [--face N]\n"
    "Moves the end grid's points onto the places of the end picture that show what\n"
    "lies under the start grid's points: a global alignment (scale, turn, shift) from\n"
    "matching features, or from a face found in both pictures, then a dense optical\n"
    "flow. Corners stay, border points stay on their border and the grid never folds.\n"
    "When both pictures show a face, the 68 landmarks of the largest face of each\n"
    "become free point pairs (replacing the face pairs an earlier fit placed; your\n"
    "own free points stay), the grid follows them smoothly with its border pinned,\n"
    "and the flow refines it where it can be trusted. --face N takes the N-th face\n"
    "(1 is the largest) of both pictures instead; --no-faces leaves faces out.\n"
    "Two or three --ref pairs (a start place SX,SY and the matching end place EX,EY,\n"
    "in pixels) give the alignment instead, for pictures whose features do not match.\n"
    "The project is rewritten, or written to OUT.mph with --output. Pictures with\n"
    "nothing in common leave the grid as it was.\n";

constexpr const char* kFacesHelp =
    "usage: fennix-morph faces PICTURE\n"
    "Prints the faces found in PICTURE, largest first: for each a line \"face N\",\n"
    "then its 68 landmarks (jaw, brows, nose, eyes, mouth) as lines \"x y\" in\n"
    "pixels of the picture. With no face, nothing is printed and a note goes to\n"
    "standard error.\n";

constexpr const char* kMorphHelp =
    "usage: fennix-morph morph START END OUTPUT [--frames N] [--fps F] [--size WxH]\n"
    "                          [--rows R --cols C]\n"
    "The whole job in one command: a project of the two pictures (the end picture\n"
    "stretched to the start picture's size when they differ), the automatic fit\n"
    "(faces included), the N frames (default 20, at least 2), then OUTPUT by its\n"
    "extension: .mp4, .webm or .gif as \"video\" makes them, .avi as \"avi\" does\n"
    "(MJPEG), or, for a folder, the frames themselves. F frames per second\n"
    "(default 20), WxH the video's size, R x C the grid's cells (default 6 x 6).\n"
    "The project and frames of a video are made in a scratch folder and removed\n"
    "after.\n";

constexpr const char* kAviHelp =
    "usage: fennix-morph avi FRAMEDIR OUTPUT.avi [--fps N] [--size WxH] [--codec NAME]\n"
    "Packs every .bmp and .jpg file of FRAMEDIR, in frame order (999 before 1000), into\n"
    "an AVI video; the folder must hold the frame 000.bmp or 000.jpg. Each frame is\n"
    "stretched to WxH\n"
    "(default: the size of the first frame). N frames per second (default 20, kept\n"
    "within 1 ... 30). NAME is the compressor: none (uncompressed, the default),\n"
    "msvideo1, cinepak, mjpeg, mpeg4, h264, huffyuv, utvideo or ffv1, as far as the\n"
    "installed FFmpeg provides them.\n";

constexpr const char* kVideoHelp =
    "usage: fennix-morph video FRAMEDIR OUTPUT [--fps N] [--size WxH]\n"
    "                          [--quality high|normal|small] [--pingpong]\n"
    "Makes a video of every .bmp and .jpg file of FRAMEDIR, in frame order (999 before\n"
    "1000); the folder must hold the frame 000.bmp or 000.jpg. The format follows\n"
    "OUTPUT's extension:\n"
    "  .mp4   H.264 (libx264), yuv420p, index at the front (plays while it loads);\n"
    "         an odd width or height grows by one, repeating the last column or row\n"
    "  .webm  VP9 (libvpx-vp9), yuv420p\n"
    "  .gif   one palette for the whole sequence, dithered, looping for ever\n"
    "Each frame is scaled to WxH. By default the video has the first frame's size\n"
    "shrunk, shape kept, to what plays everywhere: MP4 and WebM at most 1920x1080\n"
    "(either way round, even sides), a GIF at most 640 pixels wide. N frames per\n"
    "second, 1 ... 60 (default 20; a GIF plays at most 50). --quality: high, normal\n"
    "(the default) or small. --pingpong plays the frames forward, then backward\n"
    "without repeating the first and last, for a seamless loop.\n";

// Fails with a one-line message.
int Fail(std::ostream& err, const std::string& message) {
    err << "fennix-morph: " << message << "\n";
    return 1;
}

// A progress line on the terminal: "frame 3/20", rewritten in place, ended
// by a line break before anything else is printed. Silent when the output
// is not a terminal.
class ProgressLine {
  public:
    ProgressLine(std::ostream& err, bool shown) : err_(err), shown_(shown) {}
    ~ProgressLine() { End(); }
    void Show(const char* what, int64_t done, int64_t total) {
        if (!shown_) return;
        err_ << "\r" << what << " " << done << "/" << total << std::flush;
        open_ = true;
    }
    void End() {
        if (open_) err_ << "\n" << std::flush;
        open_ = false;
    }

  private:
    std::ostream& err_;
    bool shown_;
    bool open_ = false;
};

// The message for an image that cannot be read, with the reason:
// "cannot read the image PATH: not a regular file".
std::string CannotReadImage(const std::string& path, ImageFailure why) {
    return "cannot read the image " + path + ": " + ImageFailureText(why);
}

std::string Absolute(const std::string& path) {
    std::error_code error;
    const fs::path absolute = fs::absolute(path, error);
    return error ? path : absolute.lexically_normal().string();
}

// A whole number option value, at least `minimum`.
std::optional<int> CountOption(const std::string& text, int minimum) {
    const auto number = ParseNumber(text);
    if (!number || *number != static_cast<int>(*number) || *number < minimum || *number > 1000000)
        return std::nullopt;
    return static_cast<int>(*number);
}

// Removes what killed writes left beside `path` (see
// RemoveAbandonedScratchFiles) before a new one is written there.
void RemoveScratchBeside(const std::string& path) {
    const std::string folder = PathFolder(path);
    RemoveAbandonedScratchFiles(folder.empty() ? std::string(".") : folder);
}

// Why `output` may not be written: it is one of the frames of `folder`
// (under that name, through a link or as a hard link); empty when it may.
std::string OutputOverFrame(const std::string& output, const std::string& folder,
                            const std::vector<std::string>& frames) {
    const std::string frame = FrameAtOutput(output, frames);
    if (frame.empty()) return {};
    return "the output " + output + " is one of the frames of " + folder + " (" + frame + ")";
}

// The prefix of the scratch folders in the system's temporary folder:
// "fennix-morph-<pid>-XXXXXX".
constexpr const char* kScratchPrefix = "fennix-morph";

// Reads the free point pairs of `path` into the two grids (ParsePointPairs)
// and checks the whole set at once (CheckFreePairs). Empty on success,
// otherwise why not, naming the line.
std::string ReadPointPairs(const std::string& path, MatrixRecord& start, MatrixRecord& end) {
    const auto text = ReadRegularFile(path, size_t{16} << 20);
    if (!text) return "cannot read the points file " + path;
    const PointPairs pairs = ParsePointPairs(*text);
    const auto line = [&path](int number) { return path + ", line " + std::to_string(number) + ": "; };
    switch (pairs.Fault) {
        case PointsFileFault::None:
            break;
        case PointsFileFault::NotFourNumbers:
            return line(pairs.FaultLine) + "expected four numbers x1 y1 x2 y2";
        case PointsFileFault::TooMany:
            return line(pairs.FaultLine) + "more than " + std::to_string(kMaxFreePairs) + " pairs";
    }
    MatrixRecord withStart = start, withEnd = end;
    withStart.FreePoints = pairs.Start;
    withEnd.FreePoints = pairs.End;
    const FreePairCheck check = CheckFreePairs(withStart, withEnd);
    if (!check.Passed()) {
        const std::string at = line(pairs.Lines[static_cast<size_t>(check.Pair)]);
        const auto size = [](const MatrixRecord& m) {
            return " (0 ... " + std::to_string(m.Width) + ", 0 ... " + std::to_string(m.Height) + ")";
        };
        switch (check.Fault) {
            case FreePairFault::None:
                break;
            case FreePairFault::StartOutside:
                return at + "the point lies outside the picture" + size(start);
            case FreePairFault::EndOutside:
                return at + "the point lies outside the picture" + size(end);
            case FreePairFault::OnGridPoint:
                return at + "the start point lies on a grid point or on another pair's start point";
            case FreePairFault::SameStart:
                return at + "the start point lies on a grid point or on another pair's start point (line " +
                       std::to_string(pairs.Lines[static_cast<size_t>(check.Other)]) + ")";
            case FreePairFault::NoPlace:
                return at + "the start point lies outside the grid";
            case FreePairFault::Folds:
                return at + "the end point crosses the lines of the mesh around its start point";
        }
    }
    start = std::move(withStart);
    end = std::move(withEnd);
    return {};
}

int NewCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::vector<std::string> paths;
    std::string pointsFile;
    int rows = 5, columns = 5, frames = 20;
    bool stretch = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help") {
            out << kNewHelp;
            return 0;
        }
        if (arg == "--fit") {
            if (i + 1 >= args.size() || args[i + 1] != "stretch")
                return Fail(err, "--fit takes only the value stretch");
            stretch = true;
            ++i;
            continue;
        }
        if (arg == "--points") {
            if (i + 1 >= args.size()) return Fail(err, "--points needs a file");
            pointsFile = args[++i];
            continue;
        }
        if (arg == "--rows" || arg == "--cols" || arg == "--frames") {
            if (i + 1 >= args.size()) return Fail(err, arg + " needs a value");
            const int minimum = arg == "--frames" ? 2 : 1;
            const auto value = CountOption(args[++i], minimum);
            if (!value)
                return Fail(err, arg + " needs a whole number of at least " +
                                     std::to_string(minimum));
            (arg == "--rows" ? rows : arg == "--cols" ? columns : frames) = *value;
        } else if (arg.rfind("--", 0) == 0) {
            return Fail(err, "unknown option " + arg);
        } else {
            paths.push_back(arg);
        }
    }
    if (paths.size() != 3) return Fail(err, "new needs START END PROJECT.mph (see --help)");
    // The project never takes the place of what it is made from (under that
    // name, through a link or as a hard link): that file would be lost.
    const std::pair<const char*, std::string> inputs[] = {
        {"start picture", paths[0]}, {"end picture", paths[1]}, {"points file", pointsFile}};
    for (const auto& [what, input] : inputs)
        if (!input.empty() && SameFile(paths[2], input))
            return Fail(err, "cannot write the project " + Absolute(paths[2]) + ": it is the " +
                                 what + " " + input + " (new never writes over its inputs)");

    const std::string start = Absolute(paths[0]), end = Absolute(paths[1]);
    ImageFailure why = ImageFailure::None;
    const auto startImage = LoadImageFile(start, &why);
    if (!startImage) return Fail(err, CannotReadImage(start, why));
    const auto endImage = LoadImageFile(end, &why);
    if (!endImage) return Fail(err, CannotReadImage(end, why));
    if (endImage->size() != startImage->size() && !stretch) {
        auto size = [](const QImage& image) {
            return std::to_string(image.width()) + "x" + std::to_string(image.height());
        };
        return Fail(err, "the start picture is " + size(*startImage) + " and the end picture " +
                             size(*endImage) + "; use --fit stretch to stretch the end picture");
    }
    if (rows > startImage->width() || columns > startImage->height())
        return Fail(err, "the grid has more cells than the start image has pixels");

    MatrixRecord matrix;
    matrix.PointerSize = 5;
    matrix.MatrixColor = 16777215;
    matrix.PointerColor = 255;
    matrix.Rows = rows;
    matrix.Columns = columns;
    matrix.Width = startImage->width();
    matrix.Height = startImage->height();
    InitMatrix(matrix);
    MatrixRecord endMatrix = matrix;
    matrix.ImagePath = start;
    endMatrix.ImagePath = end;
    if (!pointsFile.empty())
        if (std::string why = ReadPointPairs(pointsFile, matrix, endMatrix); !why.empty())
            return Fail(err, why);

    const std::string project = Absolute(paths[2]);
    RemoveScratchBeside(project);
    std::string reason;
    const std::string message = SaveMorphFile(project, matrix, endMatrix, PathFolder(project),
                                              frames - 1, kDefaultBackColor, &reason);
    if (!message.empty()) return Fail(err, "cannot write the project " + project + ": " + reason);
    return 0;
}

// True when `path` is the very file of one of `inputs` (what and where).
bool IsInput(const std::string& path,
             const std::vector<std::pair<std::string, std::string>>& inputs) {
    for (const auto& input : inputs)
        if (SameFile(path, input.second)) return true;
    return false;
}

// Why a run of frames 0 … lastFrame of `kind` may not write into `folder`,
// empty when it may: a link named like a frame (a frame would be written
// through it, to a file outside the folder), or a frame the run writes that
// is one of `inputs` (the project or a picture, under that name, through a
// link or as a hard link).
std::string CheckFrameFolder(const std::string& folder, int kind, int lastFrame,
                             const std::vector<std::pair<std::string, std::string>>& inputs) {
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

// Reads the project at `path` and both its pictures; empty text, or the
// one-line reason it fails.
std::string LoadProject(const std::string& path, MorphProject& project, QImage& start,
                        QImage& end) {
    if (const std::string message = LoadMorphFile(path, project); !message.empty()) {
        if (message.rfind(Tr("ProjectFile", kImageMissingMessage), 0) == 0)
            return "the project " + path + " names an image that is missing: " +
                   message.substr(std::string_view(Tr("ProjectFile", kImageMissingMessage)).size());
        // A damaged additions block: its message says where and why.
        if (message.rfind(Tr("ProjectFile", "モーフィングファイルを読み込めませんでした。"), 0) !=
            0)
            return "cannot open the project " + path + ": " + message;
        return "cannot open the project " + path +
               ": not a readable project file (missing, damaged, or not a file)";
    }
    ImageFailure why = ImageFailure::None;
    const auto startImage = LoadImageFile(project.Matrix1.ImagePath, &why);
    if (!startImage) return CannotReadImage(project.Matrix1.ImagePath, why);
    const auto endImage = LoadImageFile(project.Matrix2.ImagePath, &why);
    if (!endImage) return CannotReadImage(project.Matrix2.ImagePath, why);
    start = *startImage;
    end = *endImage;
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
        total += WrittenFrameCount(overrides.AppliedTo(project.Additions.Run), project.LastFrame, joined);
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

// Reads the value of a run option into `overrides`; empty text, or why not.
std::string ReadRunOption(const std::string& option, const std::string& value, RunOverrides& overrides) {
    if (option == "--hold-start" || option == "--hold-end") {
        const auto frames = CountOption(value, 0);
        if (!frames || *frames > kMaxHoldFrames)
            return option + " needs a whole number from 0 to " + std::to_string(kMaxHoldFrames);
        (option == "--hold-start" ? overrides.HoldStart : overrides.HoldEnd) = *frames;
        return {};
    }
    const auto easing = EasingFromName(value);
    if (!easing) return option + " takes linear, in, out or in-out";
    (option == "--ease" ? overrides.Motion : overrides.Dissolve) = *easing;
    return {};
}

int RenderCommand(const std::vector<std::string>& args, const std::string& programFolder,
                  std::ostream& out, std::ostream& err, bool terminal) {
    std::vector<std::string> paths;
    bool jpeg = false, force = false;
    RunOverrides overrides;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help") {
            out << kRenderHelp;
            return 0;
        }
        if (arg == "--jpeg") {
            jpeg = true;
        } else if (arg == "--force") {
            force = true;
        } else if (arg == "--smooth" || arg == "--standard") {
            overrides.Smooth = arg == "--smooth";
        } else if (arg == "--ease" || arg == "--colour-ease" || arg == "--hold-start" ||
                   arg == "--hold-end") {
            if (i + 1 >= args.size()) return Fail(err, arg + " needs a value");
            if (const std::string why = ReadRunOption(arg, args[++i], overrides); !why.empty())
                return Fail(err, why);
        } else if (arg.rfind("--", 0) == 0) {
            return Fail(err, "unknown option " + arg);
        } else {
            paths.push_back(arg);
        }
    }
    if (paths.size() < 2) return Fail(err, "render needs PROJECT.mph OUTDIR (see --help)");
    const std::string folder = paths.back();
    paths.pop_back();

    std::vector<ChainProject> projects;
    int64_t total = 0;
    if (const std::string failure = ReadRenderProjects(paths, overrides, projects, total);
        !failure.empty())
        return Fail(err, failure);
    const uint64_t needed = ChainFrameBytes(projects, overrides, jpeg ? 1 : 0);
    if (const auto space = RunSpaceShortage(folder, needed); space && !force)
        return Fail(err, "the frames need about " + SizeText(space->needed) + " but only " +
                             SizeText(space->free) + " is free for " + folder +
                             "; use --force to write them all the same");

    std::error_code error;
    fs::create_directories(folder, error);
    if (!DirectoryExists(folder))
        return Fail(err, "cannot create the folder " + folder +
                             (error ? ": " + error.message() : std::string()));
    RemoveAbandonedScratchFiles(folder);
    std::vector<std::pair<std::string, std::string>> inputs;
    for (const ChainProject& link : projects) {
        inputs.push_back({"project", link.path});
        inputs.push_back({"start picture", link.project.Matrix1.ImagePath});
        inputs.push_back({"end picture", link.project.Matrix2.ImagePath});
    }
    if (const std::string failure = CheckFrameFolder(folder, jpeg ? kJpegFrames : kBitmapFrames,
                                                     static_cast<int>(total - 1), inputs);
        !failure.empty())
        return Fail(err, failure);
    // Old frames would mix with the new ones (and an AVI of the folder would
    // pack both runs), so they are only replaced when asked.
    if (const auto old = ListFrameFiles(folder); !old.empty()) {
        if (!force)
            return Fail(err, "the folder " + folder + " already holds frames (" + old.front() +
                                 "); use --force to replace them");
        // Only what a run wrote goes: the names a run gives its frames, and
        // never the project's own pictures, whatever they are called.
        for (const std::string& name : old) {
            const std::string path = JoinPath(folder, name);
            if (!IsWrittenFrameName(name) || IsInput(path, inputs)) continue;
            if (!RemoveRegularFile(path)) return Fail(err, "cannot remove the old frame " + path);
        }
    }
    ScratchFolder scratch(SystemTempFolder(), kScratchPrefix);
    if (jpeg && !scratch.Valid()) return Fail(err, "cannot create a temporary folder");

    FrameOutput output;
    output.frameFolder = JoinPath(folder, "");
    output.saveKind = jpeg ? 1 : 0;
    output.tempFolder = scratch.Path();
    output.companionFolder = programFolder;
    ProgressLine line(err, terminal);
    MorphProgress progress;
    progress.afterFrame = [&](int k) { line.Show("frame", int64_t{k} + 1, total); };
    const ChainOutcome outcome = RunMorphChain(projects, overrides, output, progress);
    line.End();
    if (!outcome.failure.empty()) {
        if (projects.size() == 1) return Fail(err, outcome.failure);
        return Fail(err, projects[static_cast<size_t>(outcome.project)].path + ": " + outcome.failure);
    }
    return 0;
}

// "SX,SY,EX,EY": one pair of matching places.
std::optional<FitReference> ReferenceOption(const std::string& text) {
    double v[4];
    size_t from = 0;
    for (int k = 0; k < 4; ++k) {
        const size_t comma = k < 3 ? text.find(',', from) : text.size();
        if (comma == std::string::npos) return std::nullopt;
        const auto number = ParseNumber(text.substr(from, comma - from));
        if (!number || std::abs(*number) > 1e6) return std::nullopt;
        v[k] = *number;
        from = comma + 1;
    }
    return FitReference{v[0], v[1], v[2], v[3]};
}

// The face landmark model beside the program in `programFolder`; a note on
// `err` when it is missing or damaged.
FaceLandmarker LoadFaceModel(const std::string& programFolder, std::ostream& err) {
    FaceLandmarker model;
    const std::string folder =
        programFolder.empty() ? DefaultFaceModelFolder() : JoinPath(programFolder, "models");
    std::string message;
    if (!model.Load(folder, message))
        err << "fennix-morph: note: no usable face landmark model in " << folder
            << " (run scripts/install-deps.sh and build); faces are not used\n";
    return model;
}

int FitCommand(const std::vector<std::string>& args, const std::string& programFolder,
               std::ostream& out, std::ostream& err, bool terminal) {
    std::vector<std::string> paths;
    std::string output;
    GridFitOptions options;
    bool faces = true;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help") {
            out << kFitHelp;
            return 0;
        }
        if (arg == "--no-faces") {
            faces = false;
            continue;
        }
        if (arg == "--output" || arg == "--ref" || arg == "--face") {
            if (i + 1 >= args.size()) return Fail(err, arg + " needs a value");
            const std::string& value = args[++i];
            if (arg == "--face") {
                const auto number = CountOption(value, 1);
                if (!number || *number > 1000)
                    return Fail(err, "--face needs a whole number from 1");
                options.StartFace = options.EndFace = *number - 1;
            } else if (arg == "--output") {
                output = value;
            } else if (const auto pair = ReferenceOption(value)) {
                options.References.push_back(*pair);
            } else {
                return Fail(err, "--ref needs four numbers SX,SY,EX,EY, not " + value);
            }
        } else if (arg.rfind("--", 0) == 0) {
            return Fail(err, "unknown option " + arg);
        } else {
            paths.push_back(arg);
        }
    }
    if (paths.size() != 1) return Fail(err, "fit needs PROJECT.mph (see --help)");
    if (options.References.size() == 1 || options.References.size() > 3)
        return Fail(err, "--ref is given two or three times");
    const std::string& path = paths[0];
    if (output.empty()) output = path;

    MorphProject project;
    QImage start, end;
    if (const std::string failure = LoadProject(path, project, start, end); !failure.empty())
        return Fail(err, failure);

    FaceLandmarker model;
    if (faces && options.References.empty()) {
        model = LoadFaceModel(programFolder, err);
        options.Faces = &model;
        options.PreviousFacePairs = project.Additions.FacePairs;
    }
    ProgressLine line(err, terminal);
    const GridFitResult result =
        FitEndGrid(start, end, project.Matrix1, project.Matrix2, options, [&](int percent) {
            line.Show("fit", percent, 100);
            return true;
        });
    line.End();
    switch (result.Outcome) {
        case FitOutcome::Failed:
            if (project.Matrix1.Rows != project.Matrix2.Rows ||
                project.Matrix1.Columns != project.Matrix2.Columns)
                return Fail(err, "the start and end grids of " + path + " differ in size");
            if (!options.References.empty())
                return Fail(err, "the --ref pairs define no alignment (start places too close)");
            return Fail(err, "cannot fit the grid of " + path);
        case FitOutcome::NoMatch:
            err << "fennix-morph: the pictures of " << path
                << " have nothing in common the fit could find; the grid is unchanged\n";
            break;
        default:
            if (options.Faces && options.Faces->Loaded() && !result.FacesLed) {
                if (result.StartFaces > 0 && result.EndFaces > 0)
                    err << "fennix-morph: note: no face number " << options.StartFace + 1
                        << " in both pictures (" << result.StartFaces << " and " << result.EndFaces
                        << " found); faces are not used\n";
                else
                    err << "fennix-morph: note: faces found in the start picture: "
                        << result.StartFaces << ", in the end picture: " << result.EndFaces
                        << "; the fit goes without landmarks\n";
            }
            out << "fitted " << path << ": ";
            if (result.FacesLed) out << result.FacePairs.size() << " landmark pairs placed, ";
            out << result.Trusted << " points from the flow, " << result.Interpolated
                << (result.FacesLed ? " from the faces' spline, " : " from their neighbours, ")
                << result.HeldBack << " held back to keep the grid unfolded\n";
            break;
    }
    project.Matrix2.Points = result.Points;
    project.Matrix2.FreePoints = result.FreePoints;
    if (result.Outcome == FitOutcome::Fitted) {
        project.Matrix1.FreePoints = result.StartFreePoints;
        if (result.FacesLed) project.Additions.FacePairs = result.FacePairs;
    }
    RemoveScratchBeside(output);
    std::string reason;
    if (!SaveMorphFile(output, project.Matrix1, project.Matrix2, project.Folder, project.LastFrame,
                       project.BackgroundColor, &reason, project.Additions)
             .empty())
        return Fail(err, "cannot write the project " + output + ": " + reason);
    return 0;
}

// The frames of `folder` for a video: every .bmp and .jpg file in frame
// order, the folder holding frame 000; `size`, when unset, becomes the
// first frame's. An empty text, or the one-line reason it fails.
std::string ReadFrameFolder(const std::string& folder, std::vector<std::string>& frames,
                            std::optional<QSize>& size) {
    if (!DirectoryExists(folder)) return "cannot read the folder " + folder;
    if (!HasFirstFrame(folder)) return "the folder " + folder + " holds no frame 000";
    for (const std::string& name : ListFrameFolder(folder))
        frames.push_back(JoinPath(folder, name));
    if (!size) {
        ImageFailure why = ImageFailure::None;
        const auto first = LoadImageFile(frames.front(), &why);
        if (!first) return CannotReadImage(frames.front(), why);
        size = first->size();
    }
    return {};
}

// "WxH" with two whole numbers 1 … 32767.
std::optional<QSize> SizeOption(const std::string& text) {
    const size_t x = text.find_first_of("xX");
    if (x == std::string::npos) return std::nullopt;
    const auto width = CountOption(text.substr(0, x), 1);
    const auto height = CountOption(text.substr(x + 1), 1);
    if (!width || !height || *width > 32767 || *height > 32767) return std::nullopt;
    return QSize(*width, *height);
}

int AviCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
               bool terminal) {
    std::vector<std::string> paths;
    std::optional<QSize> size;
    int rate = 20;
    std::string codec = "none";
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help") {
            out << kAviHelp;
            return 0;
        }
        if (arg == "--fps" || arg == "--size" || arg == "--codec") {
            if (i + 1 >= args.size()) return Fail(err, arg + " needs a value");
            const std::string& value = args[++i];
            if (arg == "--fps") {
                const auto number = FieldToInt16(value);
                if (!number) return Fail(err, "--fps needs a number");
                rate = *number;
            } else if (arg == "--size") {
                size = SizeOption(value);
                if (!size) return Fail(err, "--size needs WxH with whole numbers of at least 1");
            } else {
                codec = value;
            }
        } else if (arg.rfind("--", 0) == 0) {
            return Fail(err, "unknown option " + arg);
        } else {
            paths.push_back(arg);
        }
    }
    if (paths.size() != 2) return Fail(err, "avi needs FRAMEDIR OUTPUT.avi (see --help)");
    if (!FindCompressor(codec)) return Fail(err, "the compressor " + codec + " is not available");

    const std::string folder = paths[0];
    std::vector<std::string> frames;
    if (const std::string failure = ReadFrameFolder(folder, frames, size); !failure.empty())
        return Fail(err, failure);

    CompressorOptions options;
    options.Name = codec;
    const std::string output = paths[1];
    if (const std::string failure = OutputOverFrame(output, folder, frames); !failure.empty())
        return Fail(err, failure);
    RemoveScratchBeside(output);
    std::string why;
    ProgressLine line(err, terminal);
    const AviOutcome outcome = CreateAviFile(
        frames, output, size->width(), size->height(), rate,
        [&] { return std::optional<CompressorOptions>(options); }, &why,
        [&](int written, int total) {
            line.Show("frame", written, total);
            return true;
        });
    line.End();
    switch (outcome) {
        case AviOutcome::Written:
            return 0;
        case AviOutcome::LoadFailed:
            return Fail(err, why.empty() ? "cannot read or convert a frame of " + folder : why);
        case AviOutcome::OutputIsFrame:
            return Fail(err, "the output " + output + " is one of the frames of " + folder);
        default:
            return Fail(err, "cannot write the video " + output + (why.empty() ? "" : ": " + why));
    }
}

int VideoCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                 bool terminal) {
    std::vector<std::string> paths;
    std::optional<QSize> size;
    VideoOptions options;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help") {
            out << kVideoHelp;
            return 0;
        }
        if (arg == "--pingpong") {
            options.PingPong = true;
        } else if (arg == "--fps" || arg == "--size" || arg == "--quality") {
            if (i + 1 >= args.size()) return Fail(err, arg + " needs a value");
            const std::string& value = args[++i];
            if (arg == "--fps") {
                const auto rate = CountOption(value, kVideoRateMin);
                if (!rate || *rate > kVideoRateMax)
                    return Fail(err, "--fps needs a whole number from 1 to 60");
                options.Rate = *rate;
            } else if (arg == "--size") {
                size = SizeOption(value);
                if (!size) return Fail(err, "--size needs WxH with whole numbers of at least 1");
            } else if (value == "high") {
                options.Quality = VideoQuality::High;
            } else if (value == "normal") {
                options.Quality = VideoQuality::Normal;
            } else if (value == "small") {
                options.Quality = VideoQuality::Small;
            } else {
                return Fail(err, "--quality takes high, normal or small");
            }
        } else if (arg.rfind("--", 0) == 0) {
            return Fail(err, "unknown option " + arg);
        } else {
            paths.push_back(arg);
        }
    }
    if (paths.size() != 2) return Fail(err, "video needs FRAMEDIR OUTPUT (see --help)");
    const std::string folder = paths[0], output = paths[1];
    const auto format = VideoFormatOfPath(output);
    if (!format)
        return Fail(err, "the output " + output + " must end in .mp4, .webm or .gif");
    options.Format = *format;
    std::vector<std::string> frames;
    const bool sizeGiven = size.has_value();
    if (const std::string failure = ReadFrameFolder(folder, frames, size); !failure.empty())
        return Fail(err, failure);
    if (!sizeGiven) size = DefaultVideoSize(options.Format, *size);
    options.Width = size->width();
    options.Height = size->height();
    if (const std::string failure = OutputOverFrame(output, folder, frames); !failure.empty())
        return Fail(err, failure);
    RemoveScratchBeside(output);

    ProgressLine line(err, terminal);
    const VideoResult result = ExportVideo(frames, output, options, [&](int done, int total) {
        line.Show("step", done, total);
        return true;
    });
    line.End();
    switch (result.Outcome) {
        case VideoOutcome::Written:
            return 0;
        case VideoOutcome::LoadFailed:
        case VideoOutcome::OutputIsFrame:
        case VideoOutcome::EncoderMissing:
            return Fail(err, result.Reason);
        default:
            return Fail(err, "cannot write the video " + output +
                                 (result.Reason.empty() ? "" : " (" + result.Reason + ")"));
    }
}

// `value` with two decimals, whatever the locale.
std::string TwoDecimals(double value) {
    char text[64];
    const auto [end, error] =
        std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 2);
    return error == std::errc() ? std::string(text, end) : std::string("0.00");
}

int FacesCommand(const std::vector<std::string>& args, const std::string& programFolder,
                 std::ostream& out, std::ostream& err) {
    std::vector<std::string> paths;
    for (const std::string& arg : args) {
        if (arg == "--help") {
            out << kFacesHelp;
            return 0;
        }
        if (arg.rfind("--", 0) == 0) return Fail(err, "unknown option " + arg);
        paths.push_back(arg);
    }
    if (paths.size() != 1) return Fail(err, "faces needs PICTURE (see --help)");
    ImageFailure why = ImageFailure::None;
    const auto picture = LoadImageFile(paths[0], &why);
    if (!picture) return Fail(err, CannotReadImage(paths[0], why));
    const FaceLandmarker model = LoadFaceModel(programFolder, err);
    if (!model.Loaded()) return 1;
    const auto faces = model.Find(picture->convertToFormat(QImage::Format_RGB32));
    if (faces.empty()) {
        err << "fennix-morph: no face found in " << paths[0] << "\n";
        return 0;
    }
    for (size_t n = 0; n < faces.size(); ++n) {
        out << "face " << n + 1 << "\n";
        for (const FacePoint& p : faces[n].Points)
            out << TwoDecimals(p.X) << " " << TwoDecimals(p.Y) << "\n";
    }
    return 0;
}

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

int MorphCommand(const std::vector<std::string>& args, const std::string& programFolder,
                 std::ostream& out, std::ostream& err, bool terminal) {
    std::vector<std::string> paths;
    std::string frames = "20", fps = "20", size, rows = "6", columns = "6";
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help") {
            out << kMorphHelp;
            return 0;
        }
        if (arg == "--frames" || arg == "--fps" || arg == "--size" || arg == "--rows" ||
            arg == "--cols") {
            if (i + 1 >= args.size()) return Fail(err, arg + " needs a value");
            const std::string& value = args[++i];
            if (arg == "--size" && !SizeOption(value))
                return Fail(err, "--size needs WxH with whole numbers of at least 1");
            (arg == "--frames" ? frames
             : arg == "--fps"  ? fps
             : arg == "--size" ? size
             : arg == "--rows" ? rows
                               : columns) = value;
        } else if (arg.rfind("--", 0) == 0) {
            return Fail(err, "unknown option " + arg);
        } else {
            paths.push_back(arg);
        }
    }
    if (paths.size() != 3) return Fail(err, "morph needs START END OUTPUT (see --help)");
    const std::string& output = paths[2];
    const MorphOutput kind = MorphOutputOf(output);
    if (kind != MorphOutput::Frames && DirectoryExists(output))
        return Fail(err, "the output " + output + " is a folder");
    {
        // An AVI plays at most 30 frames a second, the other videos 60.
        const auto rate = CountOption(fps, 1);
        if (!rate || *rate > (kind == MorphOutput::Avi ? 30 : 60))
            return Fail(err, kind == MorphOutput::Avi ? "--fps needs a whole number from 1 to 30"
                                                      : "--fps needs a whole number from 1 to 60");
    }
    ImageFailure why = ImageFailure::None;
    const auto startImage = LoadImageFile(paths[0], &why);
    if (!startImage) return Fail(err, CannotReadImage(paths[0], why));
    const auto endImage = LoadImageFile(paths[1], &why);
    if (!endImage) return Fail(err, CannotReadImage(paths[1], why));

    ScratchFolder scratch(SystemTempFolder(), kScratchPrefix);
    if (!scratch.Valid()) return Fail(err, "cannot create a temporary folder");
    const std::string project = JoinPath(scratch.Path(), "morph.mph");
    std::vector<std::string> newArgs = {paths[0], paths[1], project,    "--rows", rows,
                                        "--cols", columns,  "--frames", frames};
    if (startImage->size() != endImage->size()) newArgs.insert(newArgs.end(), {"--fit", "stretch"});
    if (const int status = NewCommand(newArgs, out, err); status != 0) return status;
    if (const int status = FitCommand({project}, programFolder, out, err, terminal); status != 0)
        return status;

    // The render's own options. The smooth quality ("render --smooth"), once
    // render has it, is passed on here.
    std::vector<std::string> renderOptions;
    const std::string frameFolder =
        kind == MorphOutput::Frames ? output : JoinPath(scratch.Path(), "frames");
    std::vector<std::string> renderArgs = {project, frameFolder};
    renderArgs.insert(renderArgs.end(), renderOptions.begin(), renderOptions.end());
    if (const int status = RenderCommand(renderArgs, programFolder, out, err, terminal);
        status != 0)
        return status;
    if (kind == MorphOutput::Frames) return 0;

    std::vector<std::string> videoArgs = {frameFolder, output, "--fps", fps};
    if (!size.empty()) videoArgs.insert(videoArgs.end(), {"--size", size});
    if (kind == MorphOutput::Avi) {
        videoArgs.insert(videoArgs.end(), {"--codec", "mjpeg"});
        return AviCommand(videoArgs, out, err, terminal);
    }
    return VideoCommand(videoArgs, out, err, terminal);
}

}  // namespace

int RunMorphCommand(const std::vector<std::string>& args, const std::string& programFolder,
                    std::ostream& out, std::ostream& err, bool terminal) {
    if (args.empty() || args[0] == "--help") {
        (args.empty() ? err : out) << kUsage;
        return args.empty() ? 1 : 0;
    }
    // Scratch folders of runs that were killed (a render's JPEG scratch).
    RemoveAbandonedScratchFolders(SystemTempFolder(), kScratchPrefix);
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    if (args[0] == "new") return NewCommand(rest, out, err);
    if (args[0] == "render") return RenderCommand(rest, programFolder, out, err, terminal);
    if (args[0] == "fit") return FitCommand(rest, programFolder, out, err, terminal);
    if (args[0] == "faces") return FacesCommand(rest, programFolder, out, err);
    if (args[0] == "morph") return MorphCommand(rest, programFolder, out, err, terminal);
    if (args[0] == "avi") return AviCommand(rest, out, err, terminal);
    if (args[0] == "video") return VideoCommand(rest, out, err, terminal);
    return Fail(err, "unknown command " + args[0] + " (see --help)");
}

}  // namespace fennix
