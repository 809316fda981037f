#pragma once

#include <QTemporaryDir>
#include <set>
#include <string>

namespace fennix::test {

// A temporary folder that is removed with everything in it afterwards, also
// files and folders whose names are not valid UTF-8 (which Qt's own removal
// cannot see).
class TestFolder {
public:
    TestFolder() = default;
    ~TestFolder();
    TestFolder(const TestFolder&) = delete;
    TestFolder& operator=(const TestFolder&) = delete;
    std::string Path() const { return dir_.path().toStdString(); }
    // Path() + "/" + name.
    std::string File(const std::string& name) const { return Path() + "/" + name; }

private:
    QTemporaryDir dir_;
};

// Writes `bytes` to the file, replacing it.
void WriteFile(const std::string& path, const std::string& bytes);

// The whole file; empty when it cannot be read.
std::string ReadFile(const std::string& path);

// The names in `folder` (hidden ones included): as a set, and as one line
// in name order, separated by blanks. Empty when it cannot be listed.
std::set<std::string> NamesIn(const std::string& folder);
std::string ListNames(const std::string& folder);

// The path of a sample picture shipped with the program.
std::string SamplePath(const std::string& name);

// A fresh application folder for one test: sets it as the application
// folder and resets the settings record to an empty one.
class AppFolderScope {
public:
    AppFolderScope();
    ~AppFolderScope();
    const TestFolder& Folder() const { return folder_; }
    std::string Path() const { return folder_.Path(); }

private:
    TestFolder folder_;
};

// The grid settings of a fresh installation: 20 frames, 5 × 5 cells, white
// grid lines, red points of radius 5.
void UseDefaultGridSettings();

}  // namespace fennix::test
