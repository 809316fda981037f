#include "core/AppFolder.h"

#include <unistd.h>

#include <filesystem>
#include <system_error>

#include "core/Paths.h"

namespace fennix {

namespace {
std::string& Folder() {
    static std::string folder;
    return folder;
}

std::string WithoutTrailingSeparator(std::string path) {
    while (path.size() > 1 && EndsInSeparator(path)) path.pop_back();
    return path;
}
}  // namespace

const std::string& ApplicationFolder() { return Folder(); }

std::string ExecutableFolder() {
    std::error_code error;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string() : exe.parent_path().string();
}

void SetApplicationFolder(const std::string& folder) { Folder() = WithoutTrailingSeparator(folder); }

std::string ResolveApplicationFolder(const std::string& executableFolder,
                                     const std::string& xdgDataHome, const std::string& home) {
    const std::string own = WithoutTrailingSeparator(executableFolder);
    // A program installed by the package manager (below /usr) never writes
    // beside itself, not even when root may: removing the package would
    // leave the working folders behind.
    const bool packaged = own.rfind("/usr/", 0) == 0;
    if (!own.empty() && !packaged && access(own.c_str(), W_OK | X_OK) == 0) return own;

    std::string dataHome = xdgDataHome;
    if (dataHome.empty()) dataHome = WithoutTrailingSeparator(home) + "/.local/share";
    const std::string fallback = WithoutTrailingSeparator(dataHome) + "/Fennix";
    std::error_code error;
    std::filesystem::create_directories(fallback, error);
    return fallback;
}

}  // namespace fennix
