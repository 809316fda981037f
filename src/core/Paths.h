#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace fennix {

// Paths are bytes, as the file system keeps them. A path of this system
// splits only at "/": "\" is an ordinary byte of a Linux file name (and the
// second byte of cp932 characters such as 表 or ソ). Only a path written by
// the Windows program (see IsWindowsPath) also splits at "\", so that
// C:\work\face.bmp still splits into folder and file name.

// True for a path as the Windows program stores it: a drive letter and
// colon ("C:\work", "c:/work") or a leading "\" ("\\server\share\a.bmp").
bool IsWindowsPath(std::string_view path);

// The text up to and including the last separator; empty when there is none
// ("C:\work\face.mph" -> "C:\work\", "/home/u/a\b.mph" -> "/home/u/",
// "face.mph" -> "").
std::string PathFolder(std::string_view path);

// The text after the last separator; the whole text when there is none.
std::string PathFileName(std::string_view path);

// The file name of a path stored by the Windows program, split as that
// program splits it: at "\" or "/" after decoding. `bytes` may be cp932
// (then the second byte of a double-byte character, 0x5C in 表, is never a
// separator) or UTF-8. The name keeps the bytes it had in `bytes`.
std::string WindowsPathFileName(std::string_view bytes);

// True when the path's last byte separates folders: "/", or a backslash
// standing as a character of its own in a path the Windows program stored.
// "/a/g\" ends in its name's last byte, not in a separator.
bool EndsInSeparator(std::string_view path);

// True when the path, after removing one trailing separator, can be opened
// for reading as a regular file. Folders, missing files and unreadable files
// give false.
bool FileExists(std::string_view path);

// True when a directory exists at the path.
bool DirectoryExists(std::string_view path);

// True when both paths exist and name the same file, links followed: the
// same device and inode, so also two hard links of one file.
bool SameFile(const std::string& a, const std::string& b);

// The bytes an unprivileged program may still write on the file system that
// holds `path`, or would hold it (a folder not yet made: its nearest
// existing parent's); nothing when it cannot be told.
std::optional<uint64_t> FreeBytes(const std::string& path);

// folder + "/" + name, without doubling a separator the folder already ends
// in: "/" always, "\" only where it separates (see IsWindowsPath); "/a/g\"
// joins as "/a/g\/name".
std::string JoinPath(std::string_view folder, std::string_view name);

}  // namespace fennix
