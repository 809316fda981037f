// fennix-morph fit: the end grid moved onto what the start grid covers.

#include <cmath>

#include "cli/CommandInputs.h"
#include "cli/Commands.h"
#include "core/NumberText.h"
#include "engine/GridFit.h"

namespace fennix::cli {

namespace {

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

// Reads the options into `options`; empty text, or what is wrong.
std::string ReadFitOptions(const Invocation& run, GridFitOptions& options) {
    for (const std::string& value : run.Values("ref")) {
        const auto pair = ReferenceOption(value);
        if (!pair) return "--ref needs four numbers SX,SY,EX,EY, not " + value;
        options.References.push_back(*pair);
    }
    if (options.References.size() == 1 || options.References.size() > 3)
        return "--ref is given two or three times";
    if (const auto value = run.Value("face")) {
        const auto number = CountOption(*value, 1);
        if (!number || *number > 1000) return "--face needs a whole number from 1 to 1000";
        options.StartFace = options.EndFace = *number - 1;
    }
    if (run.Has("face") && run.Has("no-faces")) return "--face and --no-faces exclude each other";
    return {};
}

// The notes on faces that were looked for and not used.
void FaceNotes(const Invocation& run, const GridFitOptions& options, const GridFitResult& result) {
    if (!options.Faces || !options.Faces->Loaded() || result.FacesLed) return;
    if (result.StartFaces > 0 && result.EndFaces > 0)
        run.Err() << "fennix-morph: note: no face number " << options.StartFace + 1
                  << " in both pictures (" << result.StartFaces << " and " << result.EndFaces
                  << " found); faces are not used\n";
    else
        run.Err() << "fennix-morph: note: faces found in the start picture: " << result.StartFaces
                  << ", in the end picture: " << result.EndFaces
                  << "; the fit goes without landmarks\n";
}

int RunFit(const Invocation& run) {
    GridFitOptions options;
    if (const std::string why = ReadFitOptions(run, options); !why.empty()) return run.Usage(why);
    const std::string& path = run.Arguments()[0];
    const std::optional<std::string> given = run.Value("output");
    const std::string output = given.value_or(path);

    MorphProject project;
    QImage start, end;
    if (const std::string failure = LoadProject(path, project, start, end); !failure.empty())
        return run.Fail(failure);
    // Without --output the project is updated in place; an output of its
    // own is a new file, which never replaces the project or its pictures
    // and replaces another file only with --force.
    if (given)
        if (const std::string why = CheckOutput(output, "project",
                                                {{"project", path},
                                                 {"start picture", project.Matrix1.ImagePath},
                                                 {"end picture", project.Matrix2.ImagePath}},
                                                run.Force());
            !why.empty())
            return run.Fail(why);

    // Faces lead the fit unless the --ref pairs lead it.
    FaceLandmarker model;
    if (!run.Has("no-faces") && options.References.empty()) {
        model = LoadFaceModel(run.ProgramFolder(), run.Err());
        options.Faces = &model;
        options.PreviousFacePairs = project.Additions.FacePairs;
    }
    options.PreviousDetailPairs = project.Additions.DetailPairs;
    ProgressLine line(run.Err(), run.ShowsProgress());
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
                return run.Fail("the start and end grids of " + path + " differ in size");
            if (!options.References.empty())
                return run.Fail("the --ref pairs define no alignment (start places too close)");
            return run.Fail("cannot fit the grid of " + path);
        case FitOutcome::NoMatch:
            // A warning, not a summary: the project is written unchanged.
            run.Err() << "fennix-morph: the pictures of " << path
                      << " have nothing in common the fit could find; the grid is unchanged"
                         " (give matching places with --ref)\n";
            break;
        default:
            FaceNotes(run, options, result);
            run.Summary("fitted " + path + ": " +
                        (result.FacesLed
                             ? std::to_string(result.FacePairs.size()) + " landmark pairs placed, "
                             : std::string()) +
                        std::to_string(result.Trusted) + " points from the flow, " +
                        std::to_string(result.Interpolated) +
                        (result.FacesLed    ? " from the faces' spline, "
                         : result.SplineLed ? " from the reference points' spline, "
                                            : " from their neighbours, ") +
                        std::to_string(result.HeldBack) + " held back to keep the grid unfolded" +
                        (result.DetailPairs.empty()
                             ? std::string()
                             : ", " + std::to_string(result.DetailPairs.size()) +
                                   " pairs added where the grid is too coarse"));
            break;
    }
    project.Matrix2.Points = result.Points;
    project.Matrix2.FreePoints = result.FreePoints;
    if (result.Outcome == FitOutcome::Fitted) {
        project.Matrix1.FreePoints = result.StartFreePoints;
        if (result.FacesLed) project.Additions.FacePairs = result.FacePairs;
        project.Additions.DetailPairs = result.DetailPairs;
    }
    RemoveScratchBeside(output);
    std::string reason;
    if (!SaveMorphFile(output, project.Matrix1, project.Matrix2, project.Folder, project.LastFrame,
                       project.BackgroundColor, &reason, project.Additions)
             .empty())
        return run.Fail("cannot write the project " + output + ": " + reason);
    return kSuccess;
}

}  // namespace

const Command& FitCommand() {
    static const Command command = {
        .name = "fit",
        .summary = "moves the end grid's points onto the end picture",
        .arguments = "PROJECT.mph",
        .needs = "PROJECT.mph",
        .minArguments = 1,
        .maxArguments = 1,
        .description =
            "Moves the end grid's points onto the places of the end picture that show what\n"
            "lies under the start grid's points: a global alignment (scale, turn, shift) from\n"
            "matching features, or from a face found in both pictures, then a dense optical\n"
            "flow. Corners stay, border points stay on their border and the grid never folds.\n"
            "When both pictures show a face, the 68 landmarks of the largest face of each\n"
            "become free point pairs (replacing the face pairs an earlier fit placed; your\n"
            "own free points stay), the grid follows them smoothly with its border pinned,\n"
            "and the flow refines it where it can be trusted.\n"
            "Where the flow is trusted but the grid is too coarse to follow it, free point\n"
            "pairs are added (a later fit replaces them).\n"
            "The project is updated in place, or written to OUT.mph with --output. Pictures\n"
            "with nothing in common leave the grid as it was.\n",
        .options =
            {
                {"output", "OUT.mph",
                 "write the fitted project there instead; an existing file only "
                 "with --force, never the project or one of its pictures"},
                {"ref", "SX,SY,EX,EY",
                 "a start place SX,SY and the matching end place EX,EY, in "
                 "pixels; two or three pairs lead the fit instead (the grid "
                 "follows them smoothly, its border pinned), for pictures whose "
                 "features do not match",
                 true},
                {"no-faces", "", "leave faces out: no landmark pairs are placed"},
                {"face", "N",
                 "take the N-th face (1 is the largest) of both pictures instead "
                 "of the largest"},
                {"force", "", "replace an existing OUT.mph"},
            },
        .run = RunFit,
    };
    return command;
}

}  // namespace fennix::cli
