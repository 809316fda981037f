#pragma once

#include <string>
#include <vector>

namespace fennix {

// One library the program is built on and the version in use.
struct LibraryVersion {
    std::string name;
    std::string version;
};

// The libraries of pictures and video: Qt (the one running), FFmpeg (the
// one loaded), libjpeg-turbo (the JPEG companion's, as built), libwmf (as
// built). Never empty; a version that cannot be told reads "?".
std::vector<LibraryVersion> MediaLibraryVersions();

}  // namespace fennix
