#include "model/ProgramFiles.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "model/Settings.h"
#include "model/TempImages.h"
#include "core/AppFolder.h"
#include "core/Paths.h"
#include "core/SafeWrite.h"

namespace fennix {

void OpenProgramFiles() {
    RunStep([] {
        Settings.TempFolder = JoinPath(ScratchFolder(), kTempFolderName);
        Settings.ImageFolder = JoinPath(ApplicationFolder(), kImageFolderName);
    });
    for (const std::string* folder : {&Settings.TempFolder, &Settings.ImageFolder}) {
        RunStep([folder] {
            std::error_code error;
            if (!DirectoryExists(*folder)) std::filesystem::create_directory(*folder, error);
        });
    }
    RunStep([] {
        TempWorkspace& workspace = ProgramWorkspace();
        workspace.Claim(Settings.TempFolder);
        workspace.RemoveLeftovers();
    });
    // Scratch files of writes that a killed copy of the program never
    // finished (settings, projects' pictures, scratch bitmaps).
    RunStep([] {
        std::vector<std::string> folders;
        for (const std::string& folder : {SettingsFolder(), ScratchFolder(), ApplicationFolder(),
                                          Settings.TempFolder, Settings.ImageFolder})
            if (std::find(folders.begin(), folders.end(), folder) == folders.end())
                folders.push_back(folder);
        for (const std::string& folder : folders) RemoveAbandonedScratchFiles(folder);
    });
    RunStep(LoadSettings);
}

int AdoptEarlierSettings(const std::string& earlierFolder) {
    if (earlierFolder.empty() || earlierFolder == SettingsFolder()) return 0;
    int copied = 0;
    for (const char* name : {kSettingsFileName, kAdditionsFileName}) {
        const std::string from = JoinPath(earlierFolder, name);
        const std::string to = JoinPath(SettingsFolder(), name);
        std::error_code error;
        if (!std::filesystem::is_regular_file(from, error)) continue;
        if (std::filesystem::exists(std::filesystem::symlink_status(to, error))) continue;
        if (std::filesystem::copy_file(from, to, error) && !error) ++copied;
    }
    return copied;
}

void CloseProgramFiles(const std::vector<std::string>& inUse) {
    RunStep(SaveSettings);
    RunStep([&inUse] { ProgramWorkspace().Release(inUse); });
    // The shared names the program has always cleaned up at shut-down: the
    // zoom's scratch bitmap and the two prepared images, beside this copy's
    // own names. An image a document still open refers to stays.
    RunStep([&inUse] {
        if (Settings.TempFolder.empty()) return;
        for (const char* name : {kZoomScratchName, "temp_0.bmp", "temp_1.bmp"}) {
            const std::string path = JoinPath(Settings.TempFolder, name);
            if (std::find(inUse.begin(), inUse.end(), path) == inUse.end()) RemoveRegularFile(path);
        }
    });
}

}  // namespace fennix
