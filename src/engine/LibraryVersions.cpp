#include "engine/LibraryVersions.h"

#include <opencv2/core/utility.hpp>

#include "core/Paths.h"
#include "core/Translation.h"
#include "engine/FaceLandmarks.h"

namespace fennix {

std::vector<LibraryVersion> LibraryVersions() {
    std::vector<LibraryVersion> libraries = MediaLibraryVersions();
    libraries.push_back({"OpenCV", cv::getVersionString()});
    // The face landmark model the automatic fit uses, when it is there.
    std::string model = "1.7.15 (MIT)";
    if (!FileExists(JoinPath(DefaultFaceModelFolder(), kFaceModelWeights)))
        model += Tr("LibraryVersions", "（見つかりません）");
    libraries.push_back({"face-api (face_landmark_68)", model});
    return libraries;
}

}  // namespace fennix
