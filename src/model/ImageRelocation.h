#pragma once

#include <optional>
#include <string>

namespace fennix {

struct MorphDocument;

// The name a prepared image takes in the image folder when its document is
// first saved: base + "_" + a counter of at least three digits + ".bmp",
// with the smallest counter from 1 under which nothing is in the folder yet
// (past 999 the counting goes on, so nothing is ever overwritten). The base
// is the file name of `sourcePath` cut before its first "."; it is empty
// when that file no longer exists.
std::string RelocatedImageName(const std::string& imageFolder, const std::string& sourcePath);

// True when `imagePath` is one of the prepared images in `tempFolder`
// ("temp_<tag>_<n>.bmp", or "temp_<n>.bmp" of an older version), i.e. a new
// document's image not yet relocated.
bool IsTemporaryImage(const std::string& imagePath, const std::string& tempFolder);

// Puts a new document's prepared image into the image folder (created when
// missing) and returns the path the document refers to afterwards. An image
// that is not a prepared one (already relocated, or from an opened project)
// stays where it is and its path is returned unchanged.
//
// With `move` the image is renamed, or, across file systems, copied and then
// removed; without it (an image of another copy of the program) it is only
// copied. A copy is written through SafeFile, so a failed one leaves no part
// behind. An existing file is never replaced: when another file takes the
// chosen name meanwhile, the next free name is taken.
//
// Nothing when a prepared image cannot be relocated (it has gone, the image
// folder cannot be made or written): the document must then keep its old
// path and must not be saved, as its image would be lost with the
// temporary folder.
std::optional<std::string> RelocateImage(const std::string& imagePath,
                                         const std::string& tempFolder,
                                         const std::string& imageFolder,
                                         const std::string& sourcePath, bool move = true);

// Relocates both images of `document` (see RelocateImage) before it is
// saved: this copy's own prepared images move, another copy's are copied,
// and each image path follows its image. False when an image could not be
// relocated; its path then stays as it was, and the document must not be
// saved. An image that is not a prepared one stays where it is.
bool RelocateDocumentImages(MorphDocument& document, const std::string& tempFolder,
                            const std::string& imageFolder);

}  // namespace fennix
