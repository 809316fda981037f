#pragma once

#include <string>

namespace fennix {

// The name a prepared image takes in the image folder when its document is
// first saved: base + "_" + a counter of at least three digits + ".bmp",
// with the smallest counter from 1 whose file does not exist yet (past 999
// the counting goes on, so nothing is ever overwritten). The base is the
// file name of `sourcePath` cut before its first "."; it is empty when that
// file no longer exists.
std::string RelocatedImageName(const std::string& imageFolder, const std::string& sourcePath);

// True when `imagePath` is one of the prepared images in `tempFolder`
// ("temp_<tag>_<n>.bmp", or "temp_<n>.bmp" of an older version), i.e. a new
// document's image not yet relocated.
bool IsTemporaryImage(const std::string& imagePath, const std::string& tempFolder);

// Moves a new document's prepared image into the image folder and returns
// the path the document refers to afterwards. An image that is not a
// prepared one (already relocated, or from an opened project) stays where
// it is and its path is returned unchanged. When the move fails the image
// is copied instead; when that fails too the old path is returned, so the
// document always refers to an existing file.
std::string RelocateImage(const std::string& imagePath, const std::string& tempFolder,
                          const std::string& imageFolder, const std::string& sourcePath);

}  // namespace fennix
