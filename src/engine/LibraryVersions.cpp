#include "engine/LibraryVersions.h"

#include <opencv2/core/utility.hpp>

namespace fennix {

std::vector<LibraryVersion> LibraryVersions() {
    std::vector<LibraryVersion> libraries = MediaLibraryVersions();
    libraries.push_back({"OpenCV", cv::getVersionString()});
    return libraries;
}

}  // namespace fennix
