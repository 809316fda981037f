#include "support/TestFolder.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "model/Settings.h"
#include "core/AppFolder.h"

namespace fennix::test {

TestFolder::~TestFolder() {
    if (!dir_.isValid()) return;
    std::error_code error;
    std::filesystem::remove_all(std::filesystem::path(Path()), error);
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::set<std::string> NamesIn(const std::string& folder) {
    std::set<std::string> names;
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end;
         it.increment(error))
        names.insert(it->path().filename().string());
    return names;
}

std::string ListNames(const std::string& folder) {
    std::string list;
    for (const std::string& name : NamesIn(folder)) list += (list.empty() ? "" : " ") + name;
    return list;
}

std::string SamplePath(const std::string& name) { return std::string(FENNIX_SAMPLES_DIR) + "/" + name; }

AppFolderScope::AppFolderScope() {
    SetApplicationFolder(folder_.Path());
    Settings = SettingsRecord{};
}

void UseDefaultGridSettings() {
    Settings.FrameCount = 20;
    Settings.Rows = 5;
    Settings.Columns = 5;
    Settings.PointerSize = 5;
    Settings.MatrixColor = 16777215;
    Settings.PointerColor = 255;
}

AppFolderScope::~AppFolderScope() {
    Settings = SettingsRecord{};
    SetApplicationFolder("");
}

}  // namespace fennix::test
