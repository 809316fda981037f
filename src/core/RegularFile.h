#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace fennix {

// Opens `path` for reading when it is a regular file (a link to one is
// followed). A FIFO, device, socket or folder is refused at once, without
// ever blocking on it. Returns the descriptor, or -1 with errno set (EISDIR
// for a folder, EINVAL for other files that are not regular).
int OpenRegularFile(const std::string& path);

// True when `path` names a regular file (links followed).
bool IsRegularFile(const std::string& path);

// The whole of a regular file, when it is at most `maxBytes` long. Nothing
// when it cannot be opened (see OpenRegularFile), cannot be read, or is
// larger.
std::optional<std::string> ReadRegularFile(const std::string& path, size_t maxBytes);

}  // namespace fennix
