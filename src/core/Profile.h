#pragma once

#include <string>
#include <utility>
#include <vector>

namespace fennix {

// A settings file of [Section] headers and key=value lines, read and written
// one key at a time. Section and key names match without regard to ASCII
// letter case; blanks around names and values are ignored on reading.
//
// Encodings are decided piece by piece, never for the whole file: a section
// line as a whole, and the name and the value of a key line each on its
// own, read as UTF-8 when they are valid UTF-8 and as cp932 otherwise. So a
// file of the Windows program (cp932) still reads, and one stray byte (a
// file name in Latin-1, another program's line) changes nothing else.
//
// A file that exists but cannot be read (a folder, a FIFO, a device, an I/O
// error, an unreadable or oversized file) reads as a missing one and is
// never written.
// The keys of a settings file as read once, for looking up many of them:
// the answers of Profile::Read and Profile::ReadBytes, at the cost of one
// reading of the file.
class ProfileFile {
public:
    explicit ProfileFile(const std::string& file);
    std::string Read(const std::string& section, const std::string& key) const;
    std::string ReadBytes(const std::string& section, const std::string& key) const;

private:
    struct Key {
        std::string section, name, value;  // the value as stored
    };
    const Key* Find(const std::string& section, const std::string& name) const;
    std::vector<Key> keys_;  // in the order of the file
};

class Profile {
public:
    // The value of `key` in `section` of the file as UTF-8 text, read whole
    // (no length limit). Empty when the file, the section or the key is
    // missing.
    static std::string Read(const std::string& file, const std::string& section,
                            const std::string& key);

    // The same value as the bytes stored in the file, undecoded (blanks
    // around it removed): what a file name was written as.
    static std::string ReadBytes(const std::string& file, const std::string& section,
                                 const std::string& key);

    // Sets `key` in `section` to `value`: an existing line is replaced in
    // place, otherwise the line is appended to its section, creating the
    // section and the file as needed. Every other line stays byte for byte
    // as it was, with its own line break; new lines take the break of the
    // file's first line (LF in a new file). A value holding a CR or an LF is
    // written as empty: it cannot stand on one line, and its second part
    // must never read back as a key of its own. The file is replaced only
    // once it is completely written, so a failed write never leaves it half
    // written. Returns false when the file cannot be read or written, or
    // when the section or key name cannot stand in the file (line breaks, a
    // "]" in a section name, a "=" in a key name).
    static bool Write(const std::string& file, const std::string& section, const std::string& key,
                      const std::string& value);

    // Sets several keys of one section, in order, as Write does, with one
    // replacement of the file. Returns false (and writes nothing) on the
    // same failures.
    using Entries = std::vector<std::pair<std::string, std::string>>;
    static bool Write(const std::string& file, const std::string& section, const Entries& entries);
};

}  // namespace fennix
