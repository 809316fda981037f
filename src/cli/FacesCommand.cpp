// fennix-morph faces: the faces of a picture and their landmarks, printed.

#include <charconv>

#include "cli/CommandInputs.h"
#include "cli/Commands.h"
#include "engine/FaceLandmarks.h"
#include "media/ImageFile.h"

namespace fennix::cli {

namespace {

// `value` with two decimals, whatever the locale.
std::string TwoDecimals(double value) {
    char text[64];
    const auto [end, error] =
        std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 2);
    return error == std::errc() ? std::string(text, end) : std::string("0.00");
}

int RunFaces(const Invocation& run) {
    const std::string& path = run.Arguments()[0];
    ImageFailure why = ImageFailure::None;
    const auto picture = LoadImageFile(path, &why);
    if (!picture) return run.Fail(CannotReadImage(path, why));
    const FaceLandmarker model = LoadFaceModel(run.ProgramFolder(), run.Err());
    if (!model.Loaded()) return kFailure;
    const auto faces = model.Find(picture->convertToFormat(QImage::Format_RGB32));
    // No face is an answer, not a failure: nothing on the standard output.
    if (faces.empty()) {
        run.Err() << "fennix-morph: no face found in " << path << "\n";
        return kSuccess;
    }
    // The landmarks are what the command prints, so --quiet keeps them.
    for (size_t n = 0; n < faces.size(); ++n) {
        run.Out() << "face " << n + 1 << "\n";
        for (const FacePoint& p : faces[n].Points)
            run.Out() << TwoDecimals(p.X) << " " << TwoDecimals(p.Y) << "\n";
    }
    return kSuccess;
}

}  // namespace

const Command& FacesCommand() {
    static const Command command = {
        .name = "faces",
        .summary = "prints the faces of a picture and their landmarks",
        .arguments = "PICTURE",
        .needs = "PICTURE",
        .minArguments = 1,
        .maxArguments = 1,
        .description =
            "Prints the faces found in PICTURE, largest first: for each a line \"face N\",\n"
            "then its 68 landmarks (jaw, brows, nose, eyes, mouth) as lines \"x y\" in\n"
            "pixels of the picture. With no face, nothing is printed and a note goes to\n"
            "standard error. Nothing is written to files.\n",
        .options = {},
        .run = RunFaces,
    };
    return command;
}

}  // namespace fennix::cli
