#include "cli/CommandInputs.h"

#include <string_view>

#include "cli/CommandLine.h"
#include "core/Paths.h"
#include "core/Translation.h"
#include "media/AviFrames.h"
#include "media/FrameSequence.h"
#include "media/ImageFile.h"

namespace fennix::cli {

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

std::string OutputOverFrame(const std::string& output, const std::string& folder,
                            const std::vector<std::string>& frames) {
    const std::string frame = FrameAtOutput(output, frames);
    if (frame.empty()) return {};
    return "the output " + output + " is one of the frames of " + folder + " (" + frame + ")";
}

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

}  // namespace fennix::cli
