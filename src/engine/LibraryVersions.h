#pragma once

#include <vector>

#include "media/MediaLibraries.h"

namespace fennix {

// Every library the About box names: those of pictures and video (see
// MediaLibraryVersions), then OpenCV (the automatic fit and the faces)
// and the face landmark model, said to be missing where it is not installed.
std::vector<LibraryVersion> LibraryVersions();

}  // namespace fennix
