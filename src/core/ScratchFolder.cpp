#include "core/ScratchFolder.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <vector>

#include "core/SafeWrite.h"

namespace fennix {

namespace {

// The process of a scratch folder's name "<prefix>-<pid>-XXXXXX"; 0 for
// other names.
int FolderOwner(std::string_view name, const std::string& prefix) {
    if (name.size() < prefix.size() + 1 + 1 + 1 + 6 || name.substr(0, prefix.size()) != prefix ||
        name[prefix.size()] != '-')
        return 0;
    name.remove_prefix(prefix.size() + 1);
    const size_t dash = name.find('-');
    if (dash == std::string_view::npos || name.size() - dash - 1 != 6) return 0;
    for (char c : name.substr(dash + 1))
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')))
            return 0;
    return ParseProcessId(name.substr(0, dash));
}

int OpenFolderLock(const std::string& path) {
    return ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

}  // namespace

ScratchFolder::ScratchFolder(const std::string& parent, const std::string& prefix) {
    std::string pattern = parent + "/" + prefix + "-" + std::to_string(::getpid()) + "-XXXXXX";
    if (!::mkdtemp(pattern.data())) return;
    lockFd_ = OpenFolderLock(pattern);
    if (lockFd_ < 0 || ::flock(lockFd_, LOCK_EX | LOCK_NB) != 0) {
        if (lockFd_ >= 0) ::close(lockFd_);
        lockFd_ = -1;
        ::rmdir(pattern.c_str());
        return;
    }
    path_ = pattern;
}

ScratchFolder::~ScratchFolder() {
    if (!path_.empty()) {
        std::error_code error;
        std::filesystem::remove_all(path_, error);
    }
    if (lockFd_ >= 0) ::close(lockFd_);
}

int RemoveAbandonedScratchFolders(const std::string& parent, const std::string& prefix) {
    std::vector<std::string> names;
    if (DIR* dir = ::opendir(parent.c_str())) {
        while (const dirent* entry = ::readdir(dir))
            if (FolderOwner(entry->d_name, prefix) > 0) names.push_back(entry->d_name);
        ::closedir(dir);
    }
    int removed = 0;
    for (const std::string& name : names) {
        const int owner = FolderOwner(name, prefix);
        if (owner == ::getpid() || ProcessRuns(owner)) continue;
        const std::string path = parent + "/" + name;
        const int fd = OpenFolderLock(path);  // fails for a link
        if (fd < 0) continue;
        struct stat opened {}, named {};
        // Only this user's folder, still under this name, that nobody holds
        // (a process in another process namespace may share the number of an
        // ended one here).
        if (::fstat(fd, &opened) == 0 && opened.st_uid == ::geteuid() &&
            ::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::lstat(path.c_str(), &named) == 0 &&
            S_ISDIR(named.st_mode) && named.st_dev == opened.st_dev &&
            named.st_ino == opened.st_ino) {
            std::error_code error;
            if (std::filesystem::remove_all(path, error) > 0 && !error) ++removed;
        }
        ::close(fd);
    }
    return removed;
}

std::string SystemTempFolder() {
    const char* folder = std::getenv("TMPDIR");
    return folder && *folder ? std::string(folder) : std::string("/tmp");
}

}  // namespace fennix
