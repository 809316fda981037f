#include "core/SafeWrite.h"

#include "core/RegularFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <random>
#include <vector>


namespace fennix {

namespace {

constexpr int kMaxLinks = 40;

// The folder part of a path, "." when there is none; "/" stays "/".
std::string FolderOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The file a write of `path` replaces: the path itself, or the end of its
// chain of symbolic links (which need not exist yet). Empty when the chain
// loops or cannot be read.
std::string FollowLinks(std::string path) {
    for (int hop = 0; hop < kMaxLinks; ++hop) {
        struct stat info {};
        if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
        std::string link(static_cast<size_t>(info.st_size > 0 ? info.st_size : 255) + 1, '\0');
        const ssize_t length = ::readlink(path.c_str(), link.data(), link.size());
        if (length <= 0 || static_cast<size_t>(length) >= link.size()) return {};
        link.resize(static_cast<size_t>(length));
        path = link.front() == '/' ? link : FolderOf(path) + "/" + link;
    }
    return {};
}

// Eight random hexadecimal digits for a scratch name.
std::string RandomTag() {
    uint32_t value = 0;
    if (::getrandom(&value, sizeof value, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof value))
        value = std::random_device{}();
    static const char kDigits[] = "0123456789abcdef";
    std::string tag(8, '0');
    for (char& c : tag) {
        c = kDigits[value & 15];
        value >>= 4;
    }
    return tag;
}

}  // namespace

SafeFile::~SafeFile() {
    Discard();
}

bool SafeFile::Fail(const std::string& what, int error) {
    errorNumber_ = error;
    error_ = what + (error ? std::string(": ") + std::strerror(error) : std::string());
    Discard();
    return false;
}

bool SafeFile::Begin(const std::string& path) {
    Discard();
    error_.clear();
    errorNumber_ = 0;
    if (path.empty()) return Fail("no file name", 0);
    target_ = FollowLinks(path);
    if (target_.empty()) return Fail(path + " is a broken chain of links", ELOOP);

    struct stat existing {};
    if (::stat(target_.c_str(), &existing) == 0) {
        if (!S_ISREG(existing.st_mode)) return Fail(path + " is not a regular file", 0);
        // A file without any write permission stays, even for the superuser:
        // the rename would otherwise replace it, as it needs only the folder.
        if ((existing.st_mode & 0222) == 0 || ::access(target_.c_str(), W_OK) != 0)
            return Fail(path + " is read-only", EACCES);
    }

    const std::string folder = FolderOf(target_);
    for (int attempt = 0; attempt < 16; ++attempt) {
        // The process id in the name tells whose scratch file it is, so the
        // files of a process that was killed can be found and removed later.
        const std::string tag = std::to_string(::getpid()) + "-" + RandomTag();
        for (const std::string& name :
             {"." + NameOf(target_) + "." + tag + ".tmp", ".fennix-" + tag + ".tmp"}) {
            const std::string candidate = folder + "/" + name;
            fd_ = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW,
                         0666);
            if (fd_ >= 0) {
                scratch_ = candidate;
                // Held while the file is open: the kernel lets go when the
                // process ends, however it ends, so a locked scratch file
                // is never taken for an abandoned one.
                ::flock(fd_, LOCK_EX | LOCK_NB);
                if (S_ISREG(existing.st_mode) && ::fchmod(fd_, existing.st_mode & 07777) != 0)
                    return Fail("cannot set the permissions of " + path, errno);
                return true;
            }
            // A name too long for the file system gets the short one.
            if (errno == ENAMETOOLONG) continue;
            if (errno != EEXIST) return Fail("cannot create a file in " + folder, errno);
            break;
        }
    }
    return Fail("cannot create a file in " + folder, EEXIST);
}

bool SafeFile::Write(std::string_view bytes) {
    if (fd_ < 0) return false;
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd_, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return Fail("cannot write " + target_, errno);
        }
        if (written == 0) return Fail("cannot write " + target_, ENOSPC);
        bytes.remove_prefix(static_cast<size_t>(written));
    }
    return true;
}

bool SafeFile::Commit(bool sync) {
    return Finish(sync, true);
}

bool SafeFile::CommitNew(bool sync) {
    return Finish(sync, false);
}

bool SafeFile::Finish(bool sync, bool replace) {
    if (fd_ < 0) return false;
    struct stat existing {};
    const bool replaces = ::stat(target_.c_str(), &existing) == 0;
    const int statError = replaces ? 0 : errno;
    if (!replace && replaces) return Fail(target_ + " exists", EEXIST);
    if (!replace && statError != ENOENT) return Fail("cannot create " + target_, statError);
    if (replaces && !S_ISREG(existing.st_mode)) return Fail(target_ + " is not a regular file", 0);
    if ((sync || replaces) && ::fsync(fd_) != 0) return Fail("cannot write " + target_, errno);
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) return Fail("cannot write " + target_, errno);
    if (replace ? ::rename(scratch_.c_str(), target_.c_str()) != 0
                : !RenameWithoutReplacing(scratch_, target_))
        return Fail((replace ? "cannot replace " : "cannot create ") + target_, errno);
    scratch_.clear();

    // Make the rename itself durable; a failure here no longer risks data.
    if (sync || replaces) {
        const int dir = ::open(FolderOf(target_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dir >= 0) {
            ::fsync(dir);
            ::close(dir);
        }
    }
    return true;
}

void SafeFile::Discard() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    if (!scratch_.empty()) ::unlink(scratch_.c_str());
    scratch_.clear();
}

bool ReplaceFileContents(const std::string& path, std::string_view bytes, std::string* error,
                         bool sync) {
    SafeFile file;
    const bool ok = file.Begin(path) && file.Write(bytes) && file.Commit(sync);
    if (!ok && error) *error = file.Error();
    return ok;
}

bool RenameWithoutReplacing(const std::string& from, const std::string& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) return false;
    // A file system without the atomic form: a hard link is made only where
    // no name is, just as well.
    if (::link(from.c_str(), to.c_str()) != 0) return false;
    ::unlink(from.c_str());
    return true;
}

int ParseProcessId(std::string_view digits) {
    if (digits.empty() || digits.size() > 10 || digits.front() == '0') return 0;
    long long value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return 0;
        value = value * 10 + (c - '0');
    }
    return value > INT_MAX ? 0 : static_cast<int>(value);
}

bool ProcessRuns(int pid) {
    if (pid <= 0) return false;
    return ::kill(pid, 0) == 0 || errno != ESRCH;
}

int ScratchFileOwner(const std::string& name) {
    // ".NAME.<pid>-<8 hex>.tmp" or ".fennix-<pid>-<8 hex>.tmp".
    constexpr std::string_view kSuffix = ".tmp";
    if (name.size() < 1 + 2 + 9 + kSuffix.size() || name.front() != '.' ||
        name.compare(name.size() - kSuffix.size(), kSuffix.size(), kSuffix) != 0)
        return 0;
    const std::string_view stem(name.data(), name.size() - kSuffix.size());
    const std::string_view hex = stem.substr(stem.size() - 8);
    for (char c : hex)
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return 0;
    if (stem[stem.size() - 9] != '-') return 0;
    const std::string_view rest = stem.substr(0, stem.size() - 9);
    const size_t start = rest.find_last_of(".-");
    if (start == std::string_view::npos || start == 0) return 0;
    if (rest[start] == '-' && rest.substr(0, start) != ".fennix") return 0;
    return ParseProcessId(rest.substr(start + 1));
}

int RemoveAbandonedScratchFiles(const std::string& folder) {
    int removed = 0;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return 0;
    std::vector<std::string> names;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (ScratchFileOwner(name) > 0) names.push_back(name);
    }
    ::closedir(dir);
    for (const std::string& name : names) {
        const int owner = ScratchFileOwner(name);
        if (owner == ::getpid() || ProcessRuns(owner)) continue;
        const std::string path = folder + "/" + name;
        const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) continue;
        struct stat opened {}, named {};
        // Only a regular file that no process holds (one in another process
        // namespace may share the number of an ended one here) and that still
        // has this name.
        if (::fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode) &&
            ::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::lstat(path.c_str(), &named) == 0 &&
            named.st_dev == opened.st_dev && named.st_ino == opened.st_ino &&
            ::unlink(path.c_str()) == 0)
            ++removed;
        ::close(fd);
    }
    return removed;
}

bool RemoveRegularFile(const std::string& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) return errno == ENOENT;
    if (!S_ISREG(info.st_mode)) return false;
    return ::unlink(path.c_str()) == 0 || errno == ENOENT;
}

bool NameTaken(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

bool CopyToNewFile(const std::string& from, const std::string& to) {
    const int in = OpenRegularFile(from);
    if (in < 0) return false;
    SafeFile out;
    bool ok = !NameTaken(to) && out.Begin(to);
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

}  // namespace fennix
