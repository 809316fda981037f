#include "core/SafeWrite.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <optional>
#include <system_error>

#include "core/Paths.h"

namespace fennix {

namespace {

// The file a save replaces: the path itself, or the end of the chain when the
// path is a symbolic link. Nothing when the link cannot be followed.
std::optional<std::string> SaveTarget(const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code error;
    if (!fs::is_symlink(fs::symlink_status(path, error))) return path;
    const fs::path real = fs::weakly_canonical(path, error);
    if (error) return std::nullopt;
    return real.string();
}

// Creates a new, empty file beside `target` for writing; it never replaces an
// existing file. Returns the descriptor (or -1) and sets `tempPath`.
int CreateTempBeside(const std::string& target, std::string& tempPath) {
    const std::string folder = PathFolder(target);
    for (int n = 0; n < 1000; ++n) {
        const std::string suffix = n == 0 ? ".tmp" : "." + std::to_string(n) + ".tmp";
        for (const std::string& candidate : {target + suffix, folder + ".fennix-save" + suffix}) {
            const int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (fd >= 0) {
                tempPath = candidate;
                return fd;
            }
            // A name too long for the file system gets a short one in the
            // same folder; any other failure except a taken name is final.
            if (errno == ENAMETOOLONG) continue;
            if (errno != EEXIST) return -1;
            break;
        }
    }
    return -1;
}

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes.remove_prefix(static_cast<size_t>(written));
    }
    return true;
}

// False when a file is at `target` that may not be changed: one without any
// write permission (a read-only file, which even the superuser leaves alone
// here) or one this process may not write. Replacing it by a rename would
// otherwise go through, as the rename needs only the folder to be writable.
bool MayReplace(const std::string& target) {
    struct stat existing {};
    if (::stat(target.c_str(), &existing) != 0 || !S_ISREG(existing.st_mode)) return true;
    return (existing.st_mode & 0222) != 0 && ::access(target.c_str(), W_OK) == 0;
}

bool ReplaceTarget(const std::string& target, std::string_view bytes) {
    if (!MayReplace(target)) return false;
    std::string tempPath;
    const int fd = CreateTempBeside(target, tempPath);
    if (fd < 0) return false;

    // Keep the permissions of the file being replaced.
    struct stat old {};
    bool ok = true;
    if (::stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode))
        ok = ::fchmod(fd, old.st_mode & 07777) == 0;
    ok = ok && WriteAll(fd, bytes) && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    ok = ok && ::rename(tempPath.c_str(), target.c_str()) == 0;
    if (!ok) {
        ::unlink(tempPath.c_str());
        return false;
    }

    // Make the rename itself durable; a failure here no longer risks data.
    const std::string folder = PathFolder(target).empty() ? "." : PathFolder(target);
    const int dirFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return true;
}

}  // namespace

bool ReplaceFileContents(const std::string& path, std::string_view bytes) {
    if (path.empty()) return false;
    const auto target = SaveTarget(path);
    return target && ReplaceTarget(*target, bytes);
}

}  // namespace fennix
