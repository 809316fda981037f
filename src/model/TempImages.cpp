#include "model/TempImages.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <set>
#include <string_view>
#include <system_error>
#include <utility>

#include "core/Paths.h"
#include "core/SafeWrite.h"

namespace fennix {

namespace {

// Owner tags tried after the first one is taken: "<base>-1" … "<base>-99".
constexpr int kTagVariants = 100;

bool IsDigits(std::string_view text) {
    if (text.empty()) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    return true;
}

// "4711" or "4711-2".
bool IsTag(std::string_view text) {
    const auto dash = text.find('-');
    if (dash == std::string_view::npos) return IsDigits(text);
    return IsDigits(text.substr(0, dash)) && IsDigits(text.substr(dash + 1));
}

bool Cut(std::string_view& text, std::string_view prefix, std::string_view suffix) {
    if (text.size() < prefix.size() + suffix.size() || text.substr(0, prefix.size()) != prefix ||
        text.substr(text.size() - suffix.size()) != suffix)
        return false;
    text = text.substr(prefix.size(), text.size() - prefix.size() - suffix.size());
    return true;
}

std::string LockName(const std::string& tag) { return "temp_" + tag + ".lock"; }
std::string ImageName(const std::string& tag, int n) {
    return "temp_" + tag + "_" + std::to_string(n) + ".bmp";
}

// The tag of a lock file's name; empty for other names.
std::string LockTag(std::string_view name) {
    if (!Cut(name, "temp_", ".lock") || !IsTag(name)) return {};
    return std::string(name);
}

// True for "temp_<tag>_<n>.bmp".
bool IsImageOf(std::string_view name, std::string_view tag) {
    if (!Cut(name, "temp_", ".bmp") || name.size() <= tag.size() + 1) return false;
    return name.substr(0, tag.size()) == tag && name[tag.size()] == '_' &&
           IsDigits(name.substr(tag.size() + 1));
}

std::string ProcessTag() { return std::to_string(::getpid()); }

// True when something (a file, a folder, even a broken link) has the name.
bool Taken(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

// The first pair of names in `folder` of which neither is taken or among
// `handedOut`.
TempImagePair PairIn(const std::string& folder, const std::string& tag,
                     const std::vector<std::string>& handedOut = {}) {
    auto free = [&](const std::string& path) {
        return !Taken(path) &&
               std::find(handedOut.begin(), handedOut.end(), path) == handedOut.end();
    };
    for (int n = 0;; n += 2) {
        TempImagePair pair{JoinPath(folder, ImageName(tag, n)),
                           JoinPath(folder, ImageName(tag, n + 1))};
        if (free(pair.start) && free(pair.end)) return pair;
    }
}

// The names in `folder` (none when it cannot be listed).
std::vector<std::string> Names(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code error;
    std::filesystem::directory_iterator it(folder, error), end;
    for (; !error && it != end; it.increment(error))
        names.push_back(it->path().filename().string());
    return names;
}

// True when the open descriptor and the name still denote the same file
// (a copy cleaning up may have removed the name in between).
bool StillNamed(int fd, const std::string& path) {
    struct stat opened {}, named {};
    return ::fstat(fd, &opened) == 0 && ::lstat(path.c_str(), &named) == 0 &&
           opened.st_dev == named.st_dev && opened.st_ino == named.st_ino;
}

// Opens a lock file without following a link or waiting on a FIFO; -1 when
// that fails or it is no regular file.
int OpenLock(const std::string& path, bool create) {
    const int fd = ::open(path.c_str(),
                          O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK | (create ? O_CREAT : 0),
                          0666);
    if (fd < 0) return -1;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return -1;
    }
    return fd;
}

using FileId = std::pair<dev_t, ino_t>;

}  // namespace

TempWorkspace::~TempWorkspace() { Release(); }

bool TempWorkspace::Claim(const std::string& tempFolder, const std::string& baseTag) {
    Release();
    folder_ = tempFolder;
    const std::string base = baseTag.empty() ? ProcessTag() : baseTag;
    for (int k = 0; k < kTagVariants; ++k) {
        const std::string tag = k == 0 ? base : base + "-" + std::to_string(k);
        const std::string path = JoinPath(folder_, LockName(tag));
        // A few rounds: a copy cleaning up may remove the file between our
        // open and our lock.
        for (int round = 0; round < 4; ++round) {
            const int fd = OpenLock(path, true);
            if (fd < 0) break;
            if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {  // a running copy holds it
                ::close(fd);
                break;
            }
            if (StillNamed(fd, path)) {
                lockFd_ = fd;
                tag_ = tag;
                return true;
            }
            ::close(fd);
        }
    }
    return false;
}

std::string TempWorkspace::Tag() const { return tag_.empty() ? ProcessTag() : tag_; }

TempImagePair TempWorkspace::NextPair() {
    TempImagePair pair = PairIn(folder_, Tag(), handedOut_);
    handedOut_.push_back(pair.start);
    handedOut_.push_back(pair.end);
    return pair;
}

void TempWorkspace::Release(const std::vector<std::string>& keep) {
    if (folder_.empty() && lockFd_ < 0) return;
    std::set<FileId> kept;
    for (const std::string& path : keep) {
        struct stat info {};
        if (::stat(path.c_str(), &info) == 0) kept.insert({info.st_dev, info.st_ino});
    }
    bool keptAny = false;
    auto remove = [&](const std::string& path) {
        struct stat info {};
        if (::lstat(path.c_str(), &info) != 0) return;
        if (kept.count({info.st_dev, info.st_ino})) {
            keptAny = true;
            return;
        }
        RemoveRegularFile(path);
    };

    for (const std::string& path : handedOut_) remove(path);
    if (lockFd_ >= 0) {
        for (const std::string& name : Names(folder_))
            if (IsImageOf(name, tag_)) remove(JoinPath(folder_, name));
        // With images kept the lock file stays (unlocked): once this copy has
        // ended, the next one to start finds them and removes them.
        const std::string lock = JoinPath(folder_, LockName(tag_));
        if (!keptAny && StillNamed(lockFd_, lock)) ::unlink(lock.c_str());
        ::close(lockFd_);
    }
    lockFd_ = -1;
    tag_.clear();
    folder_.clear();
    handedOut_.clear();
}

int TempWorkspace::RemoveLeftovers() const {
    if (folder_.empty()) return 0;
    int removed = 0;
    const std::vector<std::string> names = Names(folder_);
    for (const std::string& name : names) {
        const std::string tag = LockTag(name);
        if (tag.empty() || tag == tag_) continue;
        const std::string lock = JoinPath(folder_, name);
        const int fd = OpenLock(lock, false);
        if (fd < 0) continue;
        // The lock is free only when its owner has ended: the kernel lets go
        // of a lock when the process holding it exits, however it exits.
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && StillNamed(fd, lock)) {
            for (const std::string& other : Names(folder_))
                if (IsImageOf(other, tag) && RemoveRegularFile(JoinPath(folder_, other)))
                    ++removed;
            // The lock file goes last, while still locked, so a copy taking
            // the tag anew never finds the old owner's files.
            if (::unlink(lock.c_str()) == 0) ++removed;
        }
        ::close(fd);
    }
    return removed;
}

TempWorkspace& ProgramWorkspace() {
    static TempWorkspace workspace;
    return workspace;
}

TempImagePair NextTempImagePair(const std::string& tempFolder) {
    TempWorkspace& workspace = ProgramWorkspace();
    if (!tempFolder.empty() && workspace.Folder() == tempFolder) return workspace.NextPair();
    return PairIn(tempFolder, workspace.Tag());
}

bool IsTempImageName(const std::string& name) {
    std::string_view middle = name;
    if (!Cut(middle, "temp_", ".bmp")) return false;
    if (IsDigits(middle)) return true;
    const auto underscore = middle.rfind('_');
    return underscore != std::string_view::npos && IsTag(middle.substr(0, underscore)) &&
           IsDigits(middle.substr(underscore + 1));
}

bool IsOwnTempImage(const std::string& path, const std::string& tempFolder) {
    const std::string folder = PathFolder(path);
    if (folder.empty() || tempFolder.empty()) return false;
    if (!IsImageOf(PathFileName(path), ProgramWorkspace().Tag())) return false;
    std::error_code error;
    return std::filesystem::equivalent(folder, tempFolder, error) && !error;
}

}  // namespace fennix
