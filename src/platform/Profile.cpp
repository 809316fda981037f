#include "platform/Profile.h"

#include <optional>
#include <string_view>
#include <vector>

#include "core/NumberText.h"
#include "core/SafeWrite.h"
#include "core/TextEncoding.h"

namespace fennix {

namespace {

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        auto lower = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

// The name of a "[name]" line, or nothing when the line is no section header.
std::optional<std::string_view> SectionName(std::string_view line) {
    line = TrimBlanks(line);
    if (line.size() < 2 || line.front() != '[') return std::nullopt;
    const auto close = line.find(']');
    if (close == std::string_view::npos) return std::nullopt;
    return TrimBlanks(line.substr(1, close - 1));
}

// The key of a "key=value" line, or nothing when the line has no "=".
std::optional<std::string_view> KeyName(std::string_view line) {
    const auto equals = line.find('=');
    if (equals == std::string_view::npos) return std::nullopt;
    return TrimBlanks(line.substr(0, equals));
}

struct Lines {
    std::vector<std::string> lines;
    std::string ending = "\n";
};

Lines ReadLines(const std::string& file) {
    Lines result;
    const auto text = ReadTextFile(file);
    if (!text) return result;
    if (text->find("\r\n") != std::string::npos) result.ending = "\r\n";
    size_t start = 0;
    while (start < text->size()) {
        auto end = text->find('\n', start);
        if (end == std::string::npos) end = text->size();
        std::string line = text->substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        result.lines.push_back(std::move(line));
        start = end + 1;
    }
    return result;
}

}  // namespace

std::string Profile::Read(const std::string& file, const std::string& section,
                          const std::string& key) {
    const Lines content = ReadLines(file);
    bool inSection = false;
    for (const auto& line : content.lines) {
        if (const auto name = SectionName(line)) {
            inSection = SameName(*name, section);
            continue;
        }
        if (!inSection) continue;
        const auto name = KeyName(line);
        if (name && SameName(*name, key))
            return std::string(TrimBlanks(std::string_view(line).substr(line.find('=') + 1)));
    }
    return {};
}

bool Profile::Write(const std::string& file, const std::string& section, const std::string& key,
                    const std::string& value) {
    Lines content = ReadLines(file);
    auto& lines = content.lines;
    const std::string newLine = key + "=" + value;

    // Find the section, the key inside it, and the last non-blank line of the
    // section (where a new key goes).
    std::optional<size_t> sectionLine, keyLine, lastInSection;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (const auto name = SectionName(lines[i])) {
            if (sectionLine) break;  // our section ended without the key
            if (!sectionLine && SameName(*name, section)) {
                sectionLine = i;
                lastInSection = i;
            }
            continue;
        }
        if (!sectionLine) continue;
        if (!TrimBlanks(lines[i]).empty()) lastInSection = i;
        const auto name = KeyName(lines[i]);
        if (name && SameName(*name, key)) {
            keyLine = i;
            break;
        }
    }

    if (keyLine) {
        lines[*keyLine] = newLine;
    } else if (sectionLine) {
        lines.insert(lines.begin() + static_cast<long>(*lastInSection) + 1, newLine);
    } else {
        lines.push_back("[" + section + "]");
        lines.push_back(newLine);
    }

    std::string bytes;
    for (const auto& line : lines) bytes += line + content.ending;
    return ReplaceFileContents(file, bytes);
}

}  // namespace fennix
