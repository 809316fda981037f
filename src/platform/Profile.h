#pragma once

#include <string>

namespace fennix {

// A settings file of [Section] headers and key=value lines, read and written
// one key at a time. Section and key names match without regard to ASCII
// letter case; blanks around names and values are ignored on reading.
class Profile {
public:
    // The value of `key` in `section` of the file, read whole (no length
    // limit). Empty when the file, the section or the key is missing. A file
    // that is not UTF-8 is read as cp932.
    static std::string Read(const std::string& file, const std::string& section,
                            const std::string& key);

    // Sets `key` in `section` to `value`: an existing line is replaced in
    // place, otherwise the line is appended to its section, creating the
    // section and the file as needed. Every other line stays as it was. The
    // file is replaced only once it is completely written, so a failed write
    // never leaves it half written. Returns false when the file cannot be
    // written.
    static bool Write(const std::string& file, const std::string& section, const std::string& key,
                      const std::string& value);
};

}  // namespace fennix
