#pragma once

#include <string>
#include <vector>

namespace fennix {

// Runs one step of start-up or shut-down: true when it ran through, false
// when it threw. Nothing escapes, so the steps after it run all the same.
template <class Step>
bool RunStep(Step&& step) noexcept {
    try {
        step();
        return true;
    } catch (...) {
        return false;
    }
}

// Start-up of the program's files: sets Settings.TempFolder (in the
// scratch folder) and Settings.ImageFolder (in the application folder) and
// creates them when
// missing, claims the temporary folder for this copy of the program and
// removes what copies that have ended left there (see TempWorkspace) and the
// scratch files of their unfinished writes in the settings, scratch,
// application, temporary and image folders (see RemoveAbandonedScratchFiles), and loads the
// settings. Every step runs even when one before it failed; a
// settings file that cannot be read gives the defaults. Nothing is thrown.
void OpenProgramFiles();

// Copies the settings files (Fennix.ini and its additions) that an earlier
// version of the installed program kept in `earlierFolder` into the
// settings folder, each only when the settings folder has none of that name,
// so the copy happens once and later changes are never overwritten. The
// earlier files stay where they are (the projects' pictures and frame
// folders beside them are still referred to from there). Returns how many
// files were copied; nothing is thrown.
int AdoptEarlierSettings(const std::string& earlierFolder);

// Shut-down: saves the settings (skipped when the file cannot be written)
// and removes this copy's working files from the temporary folder and the
// shared "tmp.bmp", "temp_0.bmp" and "temp_1.bmp" there, except `inUse`, the
// images documents still refer to. Every step runs even when
// one before it failed. Nothing is thrown.
void CloseProgramFiles(const std::vector<std::string>& inUse);

}  // namespace fennix
