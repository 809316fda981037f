#pragma once

#include <array>
#include <string>

#include "model/Settings.h"

namespace fennix {

// The menu text of a path: its file name in upper case, two blanks and its
// folder (without the final separator); just the name for a path without a
// folder. When the whole path is longer than maxLength − 3 characters, the
// text is cut to maxLength − 3 characters followed by "...". Lengths count
// characters, not bytes.
std::string ShortenPath(const std::string& path, int maxLength);

// Puts `path` at the top of Settings.RecentFiles, moving every entry one
// down (entry 20 drops out). The list is not searched first.
void AddRecentFile(const std::string& path);

// What the recent-file items show: for n = 1 … 20 the caption of item n,
// empty when the item is hidden, and whether the separator below them
// shows. `valid` is false for a RecentDisplay outside 1 … 5, when the
// items are to be left as they are.
struct RecentMenu {
    bool valid = true;
    std::array<std::string, kRecentFileCount + 1> captions;  // [0] unused
    bool separator = false;
};
RecentMenu RecentMenuFor(const SettingsRecord& settings);

}  // namespace fennix
