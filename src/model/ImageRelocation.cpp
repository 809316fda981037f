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

// True when anything, a broken link included, has the name.
bool Taken(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

// Copies the regular file `from` to the new file `to` through SafeFile.
// False with errno set on failure (EEXIST when `to` exists); nothing of the
// copy is left then.
bool CopyToNewFile(const std::string& from, const std::string& to) {
    const int in = OpenRegularFile(from);
    if (in < 0) return false;
    SafeFile out;
    bool ok = !Taken(to) && out.Begin(to);
    int error = ok ? 0 : (out.ErrorNumber() ? out.ErrorNumber() : EEXIST);
    char buffer[65536];
    while (ok) {
        const ssize_t n = ::read(in, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            error = errno;
            ok = false;
        } else if (n == 0) {
            break;
        } else if (!out.Write(std::string_view(buffer, static_cast<size_t>(n)))) {
            error = out.ErrorNumber();
            ok = false;
        }
    }
    if (ok && !out.CommitNew()) {
        error = out.ErrorNumber();
        ok = false;
    }
    ::close(in);
    if (!ok) {
        out.Discard();
        errno = error ? error : EIO;
    }
    return ok;
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
        if (!Taken(candidate)) return candidate;
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
