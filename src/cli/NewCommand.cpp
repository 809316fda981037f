// fennix-morph new: a project of two pictures with regular grids.

#include <QImage>
#include <cctype>
#include <cmath>
#include <filesystem>
#include <string_view>
#include <system_error>

#include "cli/Commands.h"
#include "core/NumberText.h"
#include "core/Paths.h"
#include "core/RegularFile.h"
#include "media/ImageFile.h"
#include "model/FreeMesh.h"
#include "model/MorphDocument.h"
#include "model/ProjectFile.h"

namespace fennix::cli {

namespace {

namespace fs = std::filesystem;

std::string Absolute(const std::string& path) {
    std::error_code error;
    const fs::path absolute = fs::absolute(path, error);
    return error ? path : absolute.lexically_normal().string();
}

// Reads the free point pairs of `path` into the two grids: one pair a line,
// "x1 y1 x2 y2" (numbers rounded to whole pixels), within the pictures, each
// pair finding its place in the mesh without folding it. Empty on success,
// otherwise why not, naming the line.
std::string ReadPointPairs(const std::string& path, MatrixRecord& start, MatrixRecord& end) {
    const auto text = ReadRegularFile(path, size_t{16} << 20);
    if (!text) return "cannot read the points file " + path;
    size_t from = 0;
    for (int lineNumber = 1; from < text->size(); ++lineNumber) {
        size_t stop = text->find('\n', from);
        if (stop == std::string::npos) stop = text->size();
        std::string_view line(text->data() + from, stop - from);
        from = stop + 1;
        const auto bad = [&](const std::string& why) {
            return path + ", line " + std::to_string(lineNumber) + ": " + why;
        };
        std::vector<std::string_view> fields;
        for (size_t at = 0; at < line.size();) {
            while (at < line.size() && std::isspace(static_cast<unsigned char>(line[at]))) ++at;
            size_t end = at;
            while (end < line.size() && !std::isspace(static_cast<unsigned char>(line[end]))) ++end;
            if (end > at) fields.push_back(line.substr(at, end - at));
            at = end;
        }
        if (fields.empty() || fields.front().front() == '#') continue;
        int values[4] = {};
        for (size_t v = 0; v < fields.size() && v < 4; ++v) {
            const auto number = ParseNumber(fields[v]);
            if (!number || !(std::abs(*number) < 1e9)) {
                fields.clear();
                break;
            }
            values[v] = static_cast<int>(std::nearbyint(*number));
        }
        if (fields.size() != 4) return bad("expected four numbers x1 y1 x2 y2");
        if (static_cast<int>(start.FreePoints.size()) >= kMaxFreePairs)
            return bad("more than " + std::to_string(kMaxFreePairs) + " pairs");
        if (values[0] < 0 || values[0] > start.Width || values[1] < 0 || values[1] > start.Height ||
            values[2] < 0 || values[2] > end.Width || values[3] < 0 || values[3] > end.Height)
            return bad("the point lies outside the picture (0 ... " + std::to_string(start.Width) +
                       ", 0 ... " + std::to_string(start.Height) + ")");
        start.FreePoints.push_back({values[0], values[1]});
        end.FreePoints.push_back({values[2], values[3]});
        if (BuildFreeMesh(start, end).Unplaced > 0)
            return bad("the start point lies on a grid point or on another pair's start point");
        if (!MeshUnfolded(start, end))
            return bad("the end point crosses the lines of the mesh around its start point");
    }
    return {};
}

// What the options ask for.
struct NewSettings {
    int rows = 5, columns = 5, frames = 20;
    bool stretch = false;
    std::string pointsFile;
};

// Reads the options into `settings`; empty text, or what is wrong.
std::string ReadNewOptions(const Invocation& run, NewSettings& settings) {
    if (const auto fit = run.Value("fit"); fit && *fit != "stretch")
        return "--fit takes only the value stretch";
    settings.stretch = run.Has("fit");
    settings.pointsFile = run.Value("points").value_or("");
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
    if (const std::string why = CheckOutput(project, "project", inputs, run.Force()); !why.empty())
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
            "of the pictures or the points file.\n",
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
                 "starting with # are skipped"},
                ForceOption(),
            },
        .run = RunNew,
    };
    return command;
}

}  // namespace fennix::cli
