#pragma once

#include <string>

namespace fennix {

// The application folder: where frame folders and the pictures of saved
// projects go, and where file dialogs start. Written without a trailing
// separator.
const std::string& ApplicationFolder();

// Where the settings files live: the application folder unless the program
// was set up with folders of their own (SetProgramFolders).
const std::string& SettingsFolder();

// Where scratch files live (the temporary folder, the scratch AVI): the
// application folder unless set up otherwise.
const std::string& ScratchFolder();

// The folder of the running executable, as the bytes the system names it
// by (which need not be UTF-8); empty when it cannot be found.
std::string ExecutableFolder();

// Sets the application folder for the rest of the run (start-up, tests);
// the settings and scratch folders follow it.
void SetApplicationFolder(const std::string& folder);

// The three folders the program works in, and where an earlier version of
// the installed program kept its settings (empty when there is no such
// place, as for a program that keeps everything beside itself).
struct ProgramFolders {
    std::string Pictures;
    std::string Settings;
    std::string Scratch;
    std::string EarlierSettings;
    friend bool operator==(const ProgramFolders&, const ProgramFolders&) = default;
};

// Sets all three folders for the rest of the run.
void SetProgramFolders(const ProgramFolders& folders);

// The user's folders as the desktop names them: the XDG variables of the
// environment (empty when unset) and the home folder.
struct DesktopFolders {
    std::string Home;
    std::string ConfigHome;   // $XDG_CONFIG_HOME
    std::string CacheHome;    // $XDG_CACHE_HOME
    std::string DataHome;     // $XDG_DATA_HOME
    std::string PicturesDir;  // $XDG_PICTURES_DIR
};

// The desktop folders of this process's environment.
DesktopFolders DesktopFoldersFromEnvironment();

// The pictures folder as `xdg-user-dir PICTURES` finds it: the
// XDG_PICTURES_DIR line of `userDirs` (the text of user-dirs.dirs, where
// "$HOME" stands for `home` and a relative path is taken below it), else
// `environmentValue`. Empty when neither names one, or when the folder named
// is the home folder itself (the desktop's way of saying there is none).
std::string PicturesFolderFromUserDirs(const std::string& userDirs,
                                       const std::string& environmentValue,
                                       const std::string& home);

// The folders the program should use. A program whose executable folder is
// writable and not below /usr (a build, an unpacked folder) keeps
// everything there. An installed one keeps its settings in
// ConfigHome/Fennix, its scratch files in CacheHome/Fennix and frame folders
// and pictures in a visible Pictures/Fennix (the pictures folder of
// ConfigHome/user-dirs.dirs, else `home`/Pictures); an empty ConfigHome,
// CacheHome or DataHome stands for `home`/.config, .cache, .local/share. Its
// EarlierSettings is DataHome/Fennix, where earlier versions kept
// everything. The folders are created when missing. No trailing separators.
ProgramFolders ResolveProgramFolders(const std::string& executableFolder,
                                     const DesktopFolders& desktop);

}  // namespace fennix
