#include "project/ImageRelocation.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "app/TempImages.h"
#include "core/Paths.h"

namespace fennix {

namespace {

std::string Counter(int n) {
    std::string text = std::to_string(n);
    return text.size() < 3 ? std::string(3 - text.size(), '0') + text : text;
}

}  // namespace

std::string RelocatedImageName(const std::string& imageFolder, const std::string& sourcePath) {
    std::string base;
    if (FileExists(sourcePath)) {
        base = PathFileName(sourcePath);
        base = base.substr(0, base.find('.'));
    }
    for (int n = 1;; ++n) {
        const std::string candidate = JoinPath(imageFolder, base + "_" + Counter(n) + ".bmp");
        if (!FileExists(candidate)) return candidate;
    }
}

bool IsTemporaryImage(const std::string& imagePath, const std::string& tempFolder) {
    const std::string folder = PathFolder(imagePath);
    if (folder.empty() || tempFolder.empty()) return false;
    if (!IsTempImageName(PathFileName(imagePath))) return false;
    std::error_code error;
    return std::filesystem::equivalent(folder, tempFolder, error) && !error;
}

std::string RelocateImage(const std::string& imagePath, const std::string& tempFolder,
                          const std::string& imageFolder, const std::string& sourcePath) {
    if (!IsTemporaryImage(imagePath, tempFolder) || !FileExists(imagePath)) return imagePath;
    const std::string target = RelocatedImageName(imageFolder, sourcePath);
    std::error_code error;
    std::filesystem::rename(imagePath, target, error);
    if (error) {
        // Another file system: copy, and keep the prepared image if even
        // that fails.
        error.clear();
        std::filesystem::copy_file(imagePath, target, error);
        if (error) {
            std::filesystem::remove(target, error);
            return imagePath;
        }
    }
    std::filesystem::remove(imagePath, error);
    return target;
}

}  // namespace fennix
