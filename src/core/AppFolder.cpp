#include "core/AppFolder.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

#include "core/Paths.h"

namespace fennix {

namespace {
ProgramFolders& Folders() {
    static ProgramFolders folders;
    return folders;
}

std::string WithoutTrailingSeparator(std::string path) {
    while (path.size() > 1 && EndsInSeparator(path)) path.pop_back();
    return path;
}

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

// An XDG base folder: the variable's value when it is an absolute path
// (the base directory rules ignore relative ones), else home + fallback.
std::string BaseFolder(const std::string& value, const std::string& home, const char* fallback) {
    if (!value.empty() && value.front() == '/') return WithoutTrailingSeparator(value);
    return WithoutTrailingSeparator(home) + fallback;
}

std::string ReadSmallFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return {};
    // user-dirs.dirs is a few lines; more than 64 KB is no such file.
    std::string text(65536, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<size_t>(in.gcount()));
    return text;
}

// The value of a user-dirs.dirs line, KEY="value": quotes removed, "$HOME"
// at the start put in, backslash escapes taken literally.
std::string UserDirValue(std::string value, const std::string& home) {
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
        value = value.substr(1, value.size() - 2);
    std::string unescaped;
    for (size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\\' && i + 1 < value.size()) ++i;
        unescaped += value[i];
    }
    const std::string homeWord = "$HOME";
    if (unescaped.compare(0, homeWord.size(), homeWord) == 0)
        unescaped = WithoutTrailingSeparator(home) + unescaped.substr(homeWord.size());
    else if (!unescaped.empty() && unescaped.front() != '/')
        unescaped = WithoutTrailingSeparator(home) + "/" + unescaped;
    return unescaped;
}

std::string MakeFolder(const std::string& folder) {
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    return folder;
}
}  // namespace

const std::string& ApplicationFolder() {
    return Folders().Pictures;
}

const std::string& SettingsFolder() {
    const ProgramFolders& folders = Folders();
    return folders.Settings.empty() ? folders.Pictures : folders.Settings;
}

const std::string& ScratchFolder() {
    const ProgramFolders& folders = Folders();
    return folders.Scratch.empty() ? folders.Pictures : folders.Scratch;
}

std::string ExecutableFolder() {
    std::error_code error;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string() : exe.parent_path().string();
}

void SetApplicationFolder(const std::string& folder) {
    Folders() = ProgramFolders{WithoutTrailingSeparator(folder), {}, {}, {}};
}

void SetProgramFolders(const ProgramFolders& folders) {
    Folders() = ProgramFolders{WithoutTrailingSeparator(folders.Pictures),
                               WithoutTrailingSeparator(folders.Settings),
                               WithoutTrailingSeparator(folders.Scratch),
                               WithoutTrailingSeparator(folders.EarlierSettings)};
}

DesktopFolders DesktopFoldersFromEnvironment() {
    return DesktopFolders{Environment("HOME"), Environment("XDG_CONFIG_HOME"),
                          Environment("XDG_CACHE_HOME"), Environment("XDG_DATA_HOME"),
                          Environment("XDG_PICTURES_DIR")};
}

std::string PicturesFolderFromUserDirs(const std::string& userDirs,
                                       const std::string& environmentValue,
                                       const std::string& home) {
    // The file is a shell fragment sourced by xdg-user-dir; its last
    // assignment wins, and the environment's value stands when it has none.
    std::string found;
    std::istringstream lines(userDirs);
    std::string line;
    const std::string key = "XDG_PICTURES_DIR=";
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const size_t start = line.find_first_not_of(" \t");
        if (start == std::string::npos || line[start] == '#') continue;
        if (line.compare(start, key.size(), key) != 0) continue;
        std::string value = line.substr(start + key.size());
        while (!value.empty() && (value.back() == ' ' || value.back() == '\t')) value.pop_back();
        found = UserDirValue(value, home);
    }
    if (found.empty() && !environmentValue.empty()) found = UserDirValue(environmentValue, home);
    found = WithoutTrailingSeparator(found);
    if (found.empty() || found == WithoutTrailingSeparator(home)) return {};
    return found;
}

ProgramFolders ResolveProgramFolders(const std::string& executableFolder,
                                     const DesktopFolders& desktop) {
    const std::string own = WithoutTrailingSeparator(executableFolder);
    // A program installed by the package manager (below /usr) never writes
    // beside itself, not even when root may: removing the package would
    // leave the working folders behind.
    const bool packaged = own.rfind("/usr/", 0) == 0;
    if (!own.empty() && !packaged && access(own.c_str(), W_OK | X_OK) == 0)
        return ProgramFolders{own, own, own, {}};

    const std::string& home = desktop.Home;
    const std::string config = BaseFolder(desktop.ConfigHome, home, "/.config");
    const std::string cache = BaseFolder(desktop.CacheHome, home, "/.cache");
    const std::string data = BaseFolder(desktop.DataHome, home, "/.local/share");
    std::string pictures = PicturesFolderFromUserDirs(ReadSmallFile(config + "/user-dirs.dirs"),
                                                      desktop.PicturesDir, home);
    if (pictures.empty()) pictures = WithoutTrailingSeparator(home) + "/Pictures";

    ProgramFolders folders;
    folders.Pictures = MakeFolder(pictures + "/Fennix");
    folders.Settings = MakeFolder(config + "/Fennix");
    folders.Scratch = MakeFolder(cache + "/Fennix");
    folders.EarlierSettings = data + "/Fennix";
    return folders;
}

}  // namespace fennix
