#pragma once

#include <optional>
#include <string>

#include "companion/ConvertBMPtoJPG.h"

namespace fennix {

// The JPEG companion library, loaded from a folder by file name.
//
// Each object holds its own dlopen handle for its whole life and closes it on
// destruction; the system shares the loaded library between objects of the
// same folder. Movable, not copyable; a moved-from object converts nothing.
class JpegCompanion {
public:
    // Loads <folder>/libFennix.so and finds ConvertBMPtoJPG. Nothing, with
    // `error` (when given) set to a short reason, when the library is missing
    // or cannot be loaded or lacks the function. An empty folder means the
    // current folder.
    static std::optional<JpegCompanion> Load(const std::string& folder,
                                             std::string* error = nullptr);

    JpegCompanion(JpegCompanion&& other) noexcept;
    JpegCompanion& operator=(JpegCompanion&& other) noexcept;
    JpegCompanion(const JpegCompanion&) = delete;
    JpegCompanion& operator=(const JpegCompanion&) = delete;
    ~JpegCompanion();

    // Converts the bitmap file to a JPEG file. True when the call reported
    // success and the JPEG file exists afterwards; false for any failure
    // (missing or undecodable bitmap, unwritable destination) and on a
    // moved-from object.
    bool Convert(const std::string& bmpPath, const std::string& jpgPath) const;

    // The path the library was loaded from.
    const std::string& LibraryPath() const { return libraryPath_; }

private:
    JpegCompanion(void* handle, companion::ConvertFunction convert, std::string libraryPath);
    void Close();

    void* handle_ = nullptr;
    companion::ConvertFunction convert_ = nullptr;
    std::string libraryPath_;
};

}  // namespace fennix
