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
        const std::string& app = ApplicationFolder();
        Settings.TempFolder = JoinPath(app, kTempFolderName);
        Settings.ImageFolder = JoinPath(app, kImageFolderName);
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
        for (const std::string& folder :
             {ApplicationFolder(), Settings.TempFolder, Settings.ImageFolder})
            RemoveAbandonedScratchFiles(folder);
    });
    RunStep(LoadSettings);
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
