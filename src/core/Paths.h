#pragma once

#include <string>
#include <string_view>

namespace fennix {

// Paths are UTF-8 text. Both "/" and "\" count as separators, so that paths
// written by the Windows program (C:\work\face.bmp) still split into folder
// and file name.

// The text up to and including the last separator; empty when there is none
// ("C:\work\face.mph" -> "C:\work\", "face.mph" -> "").
std::string PathFolder(std::string_view path);

// The text after the last separator; the whole text when there is none.
std::string PathFileName(std::string_view path);

// True when the path, after removing one trailing separator, can be opened
// for reading as a regular file. Folders, missing files and unreadable files
// give false.
bool FileExists(std::string_view path);

// True when a directory exists at the path.
bool DirectoryExists(std::string_view path);

// folder + "/" + name, without doubling a separator the folder already ends in.
std::string JoinPath(std::string_view folder, std::string_view name);

}  // namespace fennix
