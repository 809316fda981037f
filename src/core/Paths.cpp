#include "core/Paths.h"

#include <filesystem>
#include <fstream>
#include <system_error>

namespace fennix {

namespace {
bool IsSeparator(char c) { return c == '/' || c == '\\'; }

size_t LastSeparator(std::string_view path) { return path.find_last_of("/\\"); }
}  // namespace

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

bool FileExists(std::string_view path) {
    if (!path.empty() && IsSeparator(path.back())) path.remove_suffix(1);
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

std::string JoinPath(std::string_view folder, std::string_view name) {
    std::string result(folder);
    if (!result.empty() && !IsSeparator(result.back())) result += '/';
    result += name;
    return result;
}

}  // namespace fennix
