#include "model/ImageRelocation.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <system_error>

#include "model/MorphDocument.h"
#include "model/TempImages.h"
#include "core/Paths.h"
#include "core/RegularFile.h"
#include "core/SafeWrite.h"

namespace fennix {

namespace {

// Names tried before a relocation gives up: others may take a name at the
// same time, but not this many in a row.
constexpr int kNameAttempts = 64;

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
        if (!NameTaken(candidate)) return candidate;
    }
}

bool IsTemporaryImage(const std::string& imagePath, const std::string& tempFolder) {
    const std::string folder = PathFolder(imagePath);
    if (folder.empty() || tempFolder.empty()) return false;
    if (!IsTempImageName(PathFileName(imagePath))) return false;
    std::error_code error;
    return std::filesystem::equivalent(folder, tempFolder, error) && !error;
}

std::optional<std::string> RelocateImage(const std::string& imagePath,
                                         const std::string& tempFolder,
                                         const std::string& imageFolder,
                                         const std::string& sourcePath, bool move) {
    if (!IsTemporaryImage(imagePath, tempFolder)) return imagePath;
    if (!IsRegularFile(imagePath) || imageFolder.empty()) return std::nullopt;
    std::error_code error;
    std::filesystem::create_directories(imageFolder, error);

    struct stat own {};
    const bool renamable = move && ::lstat(imagePath.c_str(), &own) == 0 && S_ISREG(own.st_mode);
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        const std::string target = RelocatedImageName(imageFolder, sourcePath);
        if (renamable) {
            if (RenameWithoutReplacing(imagePath, target)) return target;
            if (errno == EEXIST) continue;
            // Another file system (or one that cannot rename): copy instead.
        }
        if (CopyToNewFile(imagePath, target)) {
            if (move) RemoveRegularFile(imagePath);
            return target;
        }
        if (errno != EEXIST) return std::nullopt;
    }
    return std::nullopt;
}

bool RelocateDocumentImages(MorphDocument& document, const std::string& tempFolder,
                            const std::string& imageFolder) {
    bool relocated = true;
    for (int k = 1; k <= 2; ++k) {
        MatrixRecord& m = document.Matrix(k);
        const bool own = IsOwnTempImage(m.ImagePath, tempFolder);
        const auto path =
            RelocateImage(m.ImagePath, tempFolder, imageFolder, document.SourcePath[k - 1], own);
        if (path)
            m.ImagePath = *path;
        else
            relocated = false;
    }
    return relocated;
}

}  // namespace fennix
