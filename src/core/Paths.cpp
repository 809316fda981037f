#include "core/Paths.h"

#include <sys/stat.h>
#include <sys/statvfs.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "core/TextEncoding.h"

namespace fennix {

namespace {

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

bool IsCp932Lead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

// The position of the last byte that separates folders in a Windows path:
// "\" or "/" standing as characters of their own. In UTF-8 neither byte
// occurs inside another character; in cp932 the second byte of a
// double-byte character may be 0x5C and is skipped.
size_t LastWindowsSeparator(std::string_view path) {
    if (IsValidUtf8(path)) return path.find_last_of("/\\");
    size_t last = std::string_view::npos;
    for (size_t i = 0; i < path.size(); ++i) {
        if (IsCp932Lead(static_cast<unsigned char>(path[i])) && i + 1 < path.size())
            ++i;
        else if (IsSeparator(path[i]))
            last = i;
    }
    return last;
}

size_t LastSeparator(std::string_view path) {
    return IsWindowsPath(path) ? LastWindowsSeparator(path) : path.rfind('/');
}

}  // namespace

bool IsWindowsPath(std::string_view path) {
    if (!path.empty() && path.front() == '\\') return true;
    if (path.size() < 3 || path[1] != ':' || !IsSeparator(path[2])) return false;
    const char drive = path[0];
    return (drive >= 'A' && drive <= 'Z') || (drive >= 'a' && drive <= 'z');
}

std::string PathFolder(std::string_view path) {
    const auto pos = LastSeparator(path);
    if (pos == std::string_view::npos) return {};
    return std::string(path.substr(0, pos + 1));
}

std::string PathFileName(std::string_view path) {
    const auto pos = LastSeparator(path);
    if (pos == std::string_view::npos) return std::string(path);
    return std::string(path.substr(pos + 1));
}

std::string WindowsPathFileName(std::string_view bytes) {
    const auto pos = LastWindowsSeparator(bytes);
    if (pos == std::string_view::npos) return std::string(bytes);
    return std::string(bytes.substr(pos + 1));
}

bool FileExists(std::string_view path) {
    if (EndsInSeparator(path)) path.remove_suffix(1);
    if (path.empty()) return false;
    const std::filesystem::path p{std::string(path)};
    std::error_code error;
    if (!std::filesystem::is_regular_file(p, error)) return false;
    std::ifstream stream(p, std::ios::binary);
    return stream.is_open();
}

bool DirectoryExists(std::string_view path) {
    if (path.empty()) return false;
    std::error_code error;
    return std::filesystem::is_directory(std::filesystem::path{std::string(path)}, error);
}

bool SameFile(const std::string& a, const std::string& b) {
    struct stat first {}, second {};
    if (a.empty() || b.empty() || ::stat(a.c_str(), &first) != 0 ||
        ::stat(b.c_str(), &second) != 0)
        return false;
    return first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

std::optional<uint64_t> FreeBytes(const std::string& path) {
    std::error_code error;
    std::filesystem::path at = std::filesystem::absolute(std::filesystem::path{path}, error);
    if (path.empty() || error) return std::nullopt;
    struct statvfs info {};
    while (::statvfs(at.c_str(), &info) != 0) {
        if (errno != ENOENT || !at.has_relative_path()) return std::nullopt;
        at = at.parent_path();
    }
    return uint64_t{info.f_bavail} * info.f_frsize;
}

bool EndsInSeparator(std::string_view path) {
    // A trailing backslash separates only in a path the Windows program
    // stored, and there only when it stands as a character of its own; in
    // any other name it is the name's last byte (a folder "g\" or one whose
    // cp932 name ends in 表).
    if (path.empty()) return false;
    return path.back() == '/' || (IsWindowsPath(path) && LastSeparator(path) == path.size() - 1);
}

std::string JoinPath(std::string_view folder, std::string_view name) {
    std::string result(folder);
    if (!result.empty() && !EndsInSeparator(result)) result += '/';
    result += name;
    return result;
}

}  // namespace fennix
