#include "support/TestFolder.h"

#include <fstream>
#include <iterator>

#include "app/Settings.h"
#include "core/AppFolder.h"

namespace fennix::test {

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string SamplePath(const std::string& name) { return std::string(FENNIX_SAMPLES_DIR) + "/" + name; }

AppFolderScope::AppFolderScope() {
    SetApplicationFolder(folder_.Path());
    Settings = SettingsRecord{};
}

AppFolderScope::~AppFolderScope() {
    Settings = SettingsRecord{};
    SetApplicationFolder("");
}

}  // namespace fennix::test
