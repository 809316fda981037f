// fennix-morph new: a project of two pictures with regular grids.

#include <QImage>
#include <algorithm>
#include <filesystem>
#include <system_error>
#include <utility>

#include "cli/Commands.h"
#include "core/Paths.h"
#include "core/RegularFile.h"
#include "engine/GridFit.h"
#include "media/ImageFile.h"
#include "model/FreeMesh.h"
#include "model/FreePairCheck.h"
#include "model/MorphDocument.h"
#include "model/PointsFile.h"
#include "model/ProjectFile.h"
#include "model/StrokeMaking.h"

namespace fennix::cli {

namespace {

namespace fs = std::filesystem;

std::string Absolute(const std::string& path) {
    std::error_code error;
    const fs::path absolute = fs::absolute(path, error);
    return error ? path : absolute.lexically_normal().string();
}

// Reads the free point pairs of `path` into the two grids (ParsePointPairs)
// and checks the whole set at once (CheckFreePairs). Empty on success,
// otherwise why not, naming the line.
std::string ReadPointPairs(const std::string& path, MatrixRecord& start, MatrixRecord& end) {
    const auto text = ReadRegularFile(path, size_t{16} << 20);
    if (!text) return "cannot read the points file " + path;
    const PointPairs pairs = ParsePointPairs(*text);
    const auto line = [&path](int number) {
        return path + ", line " + std::to_string(number) + ": ";
    };
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
        // Strokes are read after the points: only a pair's faults arise here.
        if (check.Pair < 0 || static_cast<size_t>(check.Pair) >= pairs.Lines.size())
            return "the points cannot join the mesh";
        const std::string at = line(pairs.Lines[static_cast<size_t>(check.Pair)]);
        const auto size = [](const MatrixRecord& m) {
            return " (0 ... " + std::to_string(m.Width) + ", 0 ... " + std::to_string(m.Height) +
                   ")";
        };
        switch (check.Fault) {
            case FreePairFault::None:
                break;
            case FreePairFault::StrokeShort:
            case FreePairFault::StrokeNotHeld:
                return at + "the point cannot join the mesh";
            case FreePairFault::StartOutside:
                return at + "the point lies outside the picture" + size(start);
            case FreePairFault::EndOutside:
                return at + "the point lies outside the picture" + size(end);
            case FreePairFault::OnGridPoint:
                return at + "the start point lies on a grid point or on another pair's start point";
            case FreePairFault::SameStart:
                return at +
                       "the start point lies on a grid point or on another pair's start point "
                       "(line " +
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

// Reads the strokes of `path` (ParseStrokesFile) into the two grids, one
// after the other, each checked with what came before (CheckFreePairs).
// Empty on success, otherwise why not, naming the stroke's line.
std::string ReadStrokes(const std::string& path, MatrixRecord& start, MatrixRecord& end) {
    const auto text = ReadRegularFile(path, size_t{64} << 20);
    if (!text) return "cannot read the strokes file " + path;
    const StrokesFile file = ParseStrokesFile(*text);
    const auto line = [&path](int number) {
        return path + ", line " + std::to_string(number) + ": ";
    };
    switch (file.Fault) {
        case StrokesFileFault::None:
            break;
        case StrokesFileFault::NotStroke:
            return line(file.FaultLine) + "expected a line stroke or stroke closed";
        case StrokesFileFault::NotPoint:
            return line(file.FaultLine) + "expected two numbers x y or a line to";
        case StrokesFileFault::NoTo:
            return line(file.FaultLine) + "the stroke has no line to before it ends";
        case StrokesFileFault::TooFew:
            return line(file.FaultLine) + "a curve of the stroke has no points";
        case StrokesFileFault::TooMany:
            return line(file.FaultLine) + "more than " + std::to_string(kMaxStrokes) +
                   " strokes or " + std::to_string(kMaxCurvePoints) + " points in a curve";
    }
    MatrixRecord withStart = start, withEnd = end;
    for (const StrokeCurves& curves : file.Strokes) {
        const std::string at = line(curves.Line);
        const auto outside = [](const std::vector<Point>& curve, const MatrixRecord& m) {
            return std::any_of(curve.begin(), curve.end(), [&m](Point p) {
                return p.X < 0 || p.X > m.Width || p.Y < 0 || p.Y > m.Height;
            });
        };
        const auto size = [](const MatrixRecord& m) {
            return " (0 ... " + std::to_string(m.Width) + ", 0 ... " + std::to_string(m.Height) + ")";
        };
        if (outside(curves.Start, start))
            return at + "the start curve leaves the start picture" + size(start);
        if (outside(curves.End, end)) return at + "the end curve leaves the end picture" + size(end);
        // In, making room where grid points lie between the two curves, as
        // the window does.
        bool gridMoved = false;
        if (AddStrokeMakingRoom(withStart, withEnd, curves.Start, curves.End, curves.Closed,
                                gridMoved)
                .empty())
            continue;
        // Refused: the check of the stroke as drawn says why.
        MatrixRecord checkedStart = withStart, checkedEnd = withEnd;
        StrokeSides sides = MakeStrokeSides(withStart, curves.Start, curves.End, curves.Closed);
        checkedStart.Strokes.push_back(std::move(sides.Start));
        checkedEnd.Strokes.push_back(std::move(sides.End));
        const FreePairCheck check = CheckFreePairs(checkedStart, checkedEnd);
        const std::string point = check.Pair >= 0 ? "point " + std::to_string(check.Pair + 1) + " of the stroke: " : "";
        switch (check.Fault) {
            case FreePairFault::StrokeShort:
                return at + "the stroke is too short: fewer than two points along it";
            case FreePairFault::StrokeNotHeld:
                return at +
                       "the stroke cannot be made lines of the mesh (it crosses another stroke "
                       "or would fold the mesh)";
            case FreePairFault::NoPlace:
                return at + point + "it lies outside the grid";
            case FreePairFault::Folds:
                return at + point + "the end curve folds the mesh around the start curve";
            default:
                return at + point + "it lies outside its picture";
        }
    }
    start = std::move(withStart);
    end = std::move(withEnd);
    return {};
}

// What the options ask for.
struct NewSettings {
    int rows = 5, columns = 5, frames = 20;
    bool stretch = false;
    std::string pointsFile;
    std::string strokesFile;
};

// Reads the options into `settings`; empty text, or what is wrong.
std::string ReadNewOptions(const Invocation& run, NewSettings& settings) {
    if (const auto fit = run.Value("fit"); fit && *fit != "stretch")
        return "--fit takes only the value stretch";
    settings.stretch = run.Has("fit");
    settings.pointsFile = run.Value("points").value_or("");
    settings.strokesFile = run.Value("strokes").value_or("");
    for (const auto& [name, target] :
         {std::pair{"rows", &settings.rows}, std::pair{"cols", &settings.columns},
          std::pair{"frames", &settings.frames}}) {
        const auto text = run.Value(name);
        if (!text) continue;
        const int minimum = target == &settings.frames ? 2 : 1;
        const auto value = CountOption(*text, minimum);
        if (!value)
            return "--" + std::string(name) + " needs a whole number of at least " +
                   std::to_string(minimum);
        *target = *value;
    }
    return {};
}

int RunNew(const Invocation& run) {
    NewSettings settings;
    if (const std::string why = ReadNewOptions(run, settings); !why.empty()) return run.Usage(why);
    const std::string start = Absolute(run.Arguments()[0]), end = Absolute(run.Arguments()[1]);
    const std::string project = Absolute(run.Arguments()[2]);

    // The project never replaces what it is made of, and an existing
    // project only with --force.
    std::vector<std::pair<std::string, std::string>> inputs = {{"start picture", start},
                                                               {"end picture", end}};
    if (!settings.pointsFile.empty()) inputs.push_back({"points file", settings.pointsFile});
    if (!settings.strokesFile.empty()) inputs.push_back({"strokes file", settings.strokesFile});
    if (const std::string why = SameFileAsInput(project, inputs); !why.empty())
        return run.Fail("cannot write the project " + project + ": " + why +
                        " (new never writes over its inputs)");
    if (const std::string why = RefuseExistingOutput(project, "project", run.Force()); !why.empty())
        return run.Fail(why);

    ImageFailure why = ImageFailure::None;
    const auto startImage = LoadImageFile(start, &why);
    if (!startImage) return run.Fail(CannotReadImage(start, why));
    const auto endImage = LoadImageFile(end, &why);
    if (!endImage) return run.Fail(CannotReadImage(end, why));
    if (endImage->size() != startImage->size() && !settings.stretch) {
        auto size = [](const QImage& image) {
            return std::to_string(image.width()) + "x" + std::to_string(image.height());
        };
        return run.Fail("the start picture is " + size(*startImage) + " and the end picture " +
                        size(*endImage) + "; use --fit stretch to stretch the end picture");
    }
    if (settings.rows > startImage->width() || settings.columns > startImage->height())
        return run.Fail("the grid has more cells than the start image has pixels");

    MatrixRecord matrix;
    matrix.PointerSize = 5;
    matrix.MatrixColor = 16777215;
    matrix.PointerColor = 255;
    matrix.Rows = settings.rows;
    matrix.Columns = settings.columns;
    matrix.Width = startImage->width();
    matrix.Height = startImage->height();
    InitMatrix(matrix);
    MatrixRecord endMatrix = matrix;
    matrix.ImagePath = start;
    endMatrix.ImagePath = end;
    if (!settings.pointsFile.empty())
        if (std::string failure = ReadPointPairs(settings.pointsFile, matrix, endMatrix);
            !failure.empty())
            return run.Fail(failure);
    if (!settings.strokesFile.empty())
        if (std::string failure = ReadStrokes(settings.strokesFile, matrix, endMatrix);
            !failure.empty())
            return run.Fail(failure);

    RemoveScratchBeside(project);
    std::string reason;
    const std::string message = SaveMorphFile(project, matrix, endMatrix, PathFolder(project),
                                              settings.frames - 1, kDefaultBackColor, &reason);
    if (!message.empty()) return run.Fail("cannot write the project " + project + ": " + reason);
    return kSuccess;
}

}  // namespace

const Command& NewCommand() {
    static const Command command = {
        .name = "new",
        .summary = "writes a project of two pictures with regular grids",
        .arguments = "START END PROJECT.mph",
        .needs = "START END PROJECT.mph",
        .minArguments = 3,
        .maxArguments = 3,
        .description =
            "Writes a project whose two grids are regular. The image paths are stored\n"
            "absolute. Pictures of different sizes are refused unless --fit stretch is given.\n"
            "An existing PROJECT.mph is replaced only with --force, and never when it is one\n"
            "of the pictures, the points file or the strokes file.\n",
        .options =
            {
                {"rows", "R", "R cells across (default 5)"},
                {"cols", "C", "C cells down (default 5)"},
                {"frames", "F", "F frames (at least 2, default 20)"},
                {"fit", "stretch",
                 "the end picture is stretched to the start picture's size when "
                 "frames are made"},
                {"points", "FILE",
                 "free point pairs beside the grid: one pair a line, x1 y1 x2 y2 "
                 "in pixels of the start picture (x1 y1) and of the end picture "
                 "at the start picture's size (x2 y2); blank lines and lines "
                 "starting with # are skipped; the whole set must fit: no point "
                 "outside its picture, no start point on a grid point or on another "
                 "pair's, no fold of the mesh"},
                {"strokes", "FILE",
                 "matched curves that hold like lines: each stroke a line stroke "
                 "(or stroke closed), its start curve's points x y one a line, a "
                 "line to, then its end curve's points (numbers may have decimals); "
                 "points are placed along both curves at the same fractions of their "
                 "length, about every 12 pixels of the start curve, and the segments "
                 "between them become lines of the mesh; blank lines and lines "
                 "starting with # are skipped"},
                ForceOption(),
            },
        .run = RunNew,
    };
    return command;
}

}  // namespace fennix::cli
