#pragma once

#include <vector>

#include "media/MediaLibraries.h"

namespace fennix {

// Every library the About box names: those of pictures and video (see
// MediaLibraryVersions), then OpenCV (the automatic fit and the faces).
std::vector<LibraryVersion> LibraryVersions();

}  // namespace fennix
