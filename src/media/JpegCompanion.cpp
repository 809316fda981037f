#include "media/JpegCompanion.h"

#include <dlfcn.h>

#include <filesystem>
#include <system_error>
#include <utility>

namespace fennix {

namespace {

void SetError(std::string* error, std::string text) {
    if (error) *error = std::move(text);
}

// dlerror's text, or `fallback` when there is none.
std::string LastDlError(const char* fallback) {
    const char* text = dlerror();
    return text ? text : fallback;
}

}  // namespace

std::optional<JpegCompanion> JpegCompanion::Load(const std::string& folder, std::string* error) {
    namespace fs = std::filesystem;
    // Always a path with a folder in it, so dlopen never searches the
    // system's library folders for the name.
    const fs::path base = folder.empty() ? fs::path(".") : fs::path(folder);
    const fs::path library = base / companion::kLibraryFileName;
    const std::string path = library.string();

    std::error_code ec;
    if (!fs::is_regular_file(library, ec)) {
        SetError(error, "JPEG companion library not found: " + path);
        return std::nullopt;
    }
    dlerror();  // forget any earlier failure
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        SetError(error, "cannot load the JPEG companion library: " + LastDlError(path.c_str()));
        return std::nullopt;
    }
    dlerror();
    void* symbol = dlsym(handle, companion::kFunctionName);
    if (!symbol) {
        dlclose(handle);
        SetError(error, std::string(companion::kFunctionName) + " not found in " + path);
        return std::nullopt;
    }
    return JpegCompanion(handle, reinterpret_cast<companion::ConvertFunction>(symbol), path);
}

JpegCompanion::JpegCompanion(void* handle, companion::ConvertFunction convert,
                             std::string libraryPath)
    : handle_(handle), convert_(convert), libraryPath_(std::move(libraryPath)) {}

JpegCompanion::JpegCompanion(JpegCompanion&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)),
      convert_(std::exchange(other.convert_, nullptr)),
      libraryPath_(std::move(other.libraryPath_)) {}

JpegCompanion& JpegCompanion::operator=(JpegCompanion&& other) noexcept {
    if (this != &other) {
        Close();
        handle_ = std::exchange(other.handle_, nullptr);
        convert_ = std::exchange(other.convert_, nullptr);
        libraryPath_ = std::move(other.libraryPath_);
    }
    return *this;
}

JpegCompanion::~JpegCompanion() {
    Close();
}

void JpegCompanion::Close() {
    if (handle_) dlclose(handle_);
    handle_ = nullptr;
    convert_ = nullptr;
}

bool JpegCompanion::Convert(const std::string& bmpPath, const std::string& jpgPath) const {
    if (!convert_) return false;
    if (convert_(bmpPath.c_str(), jpgPath.c_str()) != companion::kOk) return false;
    std::error_code ec;
    return std::filesystem::is_regular_file(jpgPath, ec);
}

}  // namespace fennix
