#pragma once

#include <string>

namespace fennix {

// The application folder: where the settings file and the working folders
// live. Written without a trailing separator.
const std::string& ApplicationFolder();

// The folder of the running executable, as the bytes the system names it
// by (which need not be UTF-8); empty when it cannot be found.
std::string ExecutableFolder();

// Sets the application folder for the rest of the run (start-up, tests).
void SetApplicationFolder(const std::string& folder);

// The folder the program should use: the folder of the executable when it is
// writable and not below /usr (where the package manager installs it),
// otherwise `dataHome`/Fennix, where `dataHome` is $XDG_DATA_HOME
// or, when that is empty, `home`/.local/share. The fallback folder is created
// when missing. A trailing separator is removed.
std::string ResolveApplicationFolder(const std::string& executableFolder,
                                     const std::string& xdgDataHome, const std::string& home);

}  // namespace fennix
