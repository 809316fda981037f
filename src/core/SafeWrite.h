#pragma once

#include <string>
#include <string_view>

namespace fennix {

// Replaces the contents of the file at `path` with `bytes` without ever
// leaving a half-written file: the bytes go to a new file beside it, are
// flushed to disk, and only then is the new file renamed over the old one,
// keeping the old file's permissions. A symbolic link at `path` is followed
// (the file it points to is replaced, the link stays). A read-only file (no
// write permission bit set, or not writable by this process) is not
// replaced. Returns false when anything fails; the old file is then
// untouched and no new file is left.
bool ReplaceFileContents(const std::string& path, std::string_view bytes);

}  // namespace fennix
