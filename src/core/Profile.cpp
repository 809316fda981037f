#include "core/Profile.h"

#include <sys/stat.h>

#include <cerrno>
#include <optional>
#include <string_view>

#include "core/NumberText.h"
#include "core/RegularFile.h"
#include "core/SafeWrite.h"
#include "core/TextEncoding.h"

namespace fennix {

namespace {

// A settings file larger than this is not one of ours: it is neither read
// nor replaced.
constexpr size_t kMaxProfileBytes = size_t{16} << 20;

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        auto lower = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

// UTF-8 as it stands, anything else read as cp932.
std::string Decode(std::string_view bytes) {
    return IsValidUtf8(bytes) ? std::string(bytes) : Cp932ToUtf8(bytes);
}

// One line of the file exactly as stored: its bytes and its own line break
// ("\r\n", "\n", or nothing for a last line without one).
struct Line {
    std::string raw;
    std::string ending;
};

// What a line means: a section header, a key with its stored value, or
// anything else (comments, blank lines, text without "=").
struct Parsed {
    enum Kind { kOther, kSection, kKey } kind = kOther;
    std::string name;          // decoded section or key name, blanks removed
    std::string_view value;    // the stored value bytes of a key, blanks removed
};

Parsed Parse(const Line& line, bool first) {
    std::string_view raw = line.raw;
    if (first && raw.substr(0, 3) == "\xEF\xBB\xBF") raw.remove_prefix(3);
    Parsed parsed;
    // '[' and ']' may be the second byte of a cp932 character, so a header is
    // recognised in the decoded text. '=' never is, so a key line splits on
    // its bytes and name and value decode each on their own.
    const std::string text = Decode(raw);
    const std::string_view trimmed = TrimBlanks(text);
    if (trimmed.size() >= 2 && trimmed.front() == '[') {
        const auto close = trimmed.find(']');
        if (close != std::string_view::npos) {
            parsed.kind = Parsed::kSection;
            parsed.name = std::string(TrimBlanks(trimmed.substr(1, close - 1)));
            return parsed;
        }
    }
    const auto equals = raw.find('=');
    if (equals == std::string_view::npos) return parsed;
    parsed.kind = Parsed::kKey;
    parsed.name = std::string(TrimBlanks(Decode(raw.substr(0, equals))));
    parsed.value = TrimBlanks(raw.substr(equals + 1));
    return parsed;
}

struct Content {
    std::vector<Line> lines;
    std::string ending = "\n";  // the break new lines take
};

// The lines of the file; an empty content when it does not exist; nothing
// when it exists but cannot be read.
std::optional<Content> Load(const std::string& file) {
    Content content;
    const auto bytes = ReadRegularFile(file, kMaxProfileBytes);
    if (!bytes) {
        struct stat info {};
        if (::stat(file.c_str(), &info) != 0 && errno == ENOENT) return content;
        return std::nullopt;
    }
    bool endingKnown = false;
    size_t start = 0;
    while (start < bytes->size()) {
        auto end = bytes->find('\n', start);
        Line line;
        if (end == std::string::npos) {
            line.raw = bytes->substr(start);
            end = bytes->size();
        } else {
            const bool crlf = end > start && (*bytes)[end - 1] == '\r';
            line.raw = bytes->substr(start, end - start - (crlf ? 1 : 0));
            line.ending = crlf ? "\r\n" : "\n";
            if (!endingKnown) content.ending = line.ending;
            endingKnown = true;
        }
        content.lines.push_back(std::move(line));
        start = end + 1;
    }
    return content;
}

bool HasLineBreak(std::string_view text) { return text.find_first_of("\r\n") != text.npos; }

// Sets one key in the lines, as Profile::Write describes.
void Set(Content& content, const std::string& section, const std::string& key,
         const std::string& value) {
    auto& lines = content.lines;
    const std::string newLine = key + "=" + (HasLineBreak(value) ? std::string() : value);

    // Find the section, the key inside it, and the last non-blank line of the
    // section (where a new key goes).
    std::optional<size_t> sectionLine, keyLine, lastInSection;
    for (size_t i = 0; i < lines.size(); ++i) {
        const Parsed parsed = Parse(lines[i], i == 0);
        if (parsed.kind == Parsed::kSection) {
            if (sectionLine) break;  // our section ended without the key
            if (SameName(parsed.name, section)) {
                sectionLine = i;
                lastInSection = i;
            }
            continue;
        }
        if (!sectionLine) continue;
        if (!TrimBlanks(lines[i].raw).empty()) lastInSection = i;
        if (parsed.kind == Parsed::kKey && SameName(parsed.name, key)) {
            keyLine = i;
            break;
        }
    }

    // A line added after the file's last line gives that line a break.
    auto insert = [&](size_t at, std::string raw) {
        if (at > 0 && lines[at - 1].ending.empty()) lines[at - 1].ending = content.ending;
        lines.insert(lines.begin() + static_cast<long>(at), Line{std::move(raw), content.ending});
    };
    if (keyLine) {
        lines[*keyLine].raw = newLine;
    } else if (sectionLine) {
        insert(*lastInSection + 1, newLine);
    } else {
        insert(lines.size(), "[" + section + "]");
        insert(lines.size(), newLine);
    }
}

bool NameFits(const std::string& name, const char* forbidden) {
    return !TrimBlanks(name).empty() && name.find_first_of(forbidden) == std::string::npos;
}

}  // namespace

ProfileFile::ProfileFile(const std::string& file) {
    const auto content = Load(file);
    if (!content) return;
    std::string section;
    bool inSection = false;  // keys before the first section belong to none
    for (size_t i = 0; i < content->lines.size(); ++i) {
        const Parsed parsed = Parse(content->lines[i], i == 0);
        if (parsed.kind == Parsed::kSection) {
            section = parsed.name;
            inSection = true;
        } else if (inSection && parsed.kind == Parsed::kKey) {
            keys_.push_back({section, parsed.name, std::string(parsed.value)});
        }
    }
}

const ProfileFile::Key* ProfileFile::Find(const std::string& section, const std::string& name) const {
    for (const Key& key : keys_)
        if (SameName(key.section, section) && SameName(key.name, name)) return &key;
    return nullptr;
}

std::string ProfileFile::Read(const std::string& section, const std::string& key) const {
    const Key* found = Find(section, key);
    return found ? Decode(found->value) : std::string();
}

std::string ProfileFile::ReadBytes(const std::string& section, const std::string& key) const {
    const Key* found = Find(section, key);
    return found ? found->value : std::string();
}

std::string Profile::Read(const std::string& file, const std::string& section,
                          const std::string& key) {
    return ProfileFile(file).Read(section, key);
}

std::string Profile::ReadBytes(const std::string& file, const std::string& section,
                               const std::string& key) {
    return ProfileFile(file).ReadBytes(section, key);
}

bool Profile::Write(const std::string& file, const std::string& section, const std::string& key,
                    const std::string& value) {
    return Write(file, section, Entries{{key, value}});
}

bool Profile::Write(const std::string& file, const std::string& section, const Entries& entries) {
    if (!NameFits(section, "\r\n]")) return false;
    for (const auto& entry : entries)
        if (!NameFits(entry.first, "\r\n=")) return false;
    auto content = Load(file);
    if (!content) return false;
    for (const auto& [key, value] : entries) Set(*content, section, key, value);

    std::string bytes;
    for (const auto& line : content->lines) bytes += line.raw + line.ending;
    return ReplaceFileContents(file, bytes);
}

}  // namespace fennix
