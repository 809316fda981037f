#include "media/FrameSequence.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <optional>
#include <string_view>
#include <system_error>

#include "core/Paths.h"
#include "media/AviFrames.h"

namespace fennix {

std::string FrameFolderName(const QDateTime& when) {
    return when.toString("yyyyMMdd-hh-mm-ss").toStdString();
}

std::string MakeFrameFolder(const std::string& parent, const QDateTime& when) {
    const std::string folder = JoinPath(parent, FrameFolderName(when));
    std::error_code error;
    return std::filesystem::create_directory(folder, error) ? folder : std::string();
}

std::string FrameFileName(int k, int saveKind) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%03d", k);
    return std::string(digits) + (saveKind == 0 ? ".bmp" : ".jpg");
}

bool IsFrameFileName(const std::string& name) {
    const size_t dot = name.size() >= 4 ? name.size() - 4 : 0;
    if (dot < 3) return false;
    for (size_t i = 0; i < dot; ++i)
        if (name[i] < '0' || name[i] > '9') return false;
    std::string suffix = name.substr(dot);
    for (char& c : suffix) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    return suffix == ".bmp" || suffix == ".jpg";
}

bool IsWrittenFrameName(const std::string& name) {
    if (name.size() < 7) return false;
    const std::string digits = name.substr(0, name.size() - 4);
    const std::string suffix = name.substr(name.size() - 4);
    if (suffix != ".bmp" && suffix != ".jpg") return false;
    // Past three digits the number has no leading zero; beyond int it was
    // never a frame index.
    if (digits.size() > 10 || (digits.size() > 3 && digits.front() == '0')) return false;
    long long value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    return value <= std::numeric_limits<int>::max();
}

namespace {

// The digits of a numbered name ("0042" of "0042.jpg") without their
// leading zeros ("42", "" for zero); nothing when the part before the last
// "." is not all digits.
std::optional<std::string_view> FrameDigits(const std::string& name) {
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot == 0) return std::nullopt;
    std::string_view digits(name.data(), dot);
    for (char c : digits)
        if (c < '0' || c > '9') return std::nullopt;
    while (!digits.empty() && digits.front() == '0') digits.remove_prefix(1);
    return digits;
}

}  // namespace

bool FrameOrderLess(const std::string& a, const std::string& b) {
    const auto na = FrameDigits(a), nb = FrameDigits(b);
    if (na.has_value() != nb.has_value()) return na.has_value();
    if (na && (na->size() != nb->size() || *na != *nb)) {
        // Whole numbers of any length: the shorter is the smaller.
        if (na->size() != nb->size()) return na->size() < nb->size();
        return *na < *nb;
    }
    return FileNameLess(a, b);
}

std::vector<std::string> ListFrameFiles(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code error;
    std::filesystem::directory_iterator it(folder, error), end;
    for (; !error && it != end; it.increment(error)) {
        std::error_code ignored;
        const std::string name = it->path().filename().string();
        if (IsFrameFileName(name) && it->is_regular_file(ignored) && !it->is_symlink(ignored))
            names.push_back(name);
    }
    std::sort(names.begin(), names.end(), FrameOrderLess);
    return names;
}

int FrameKindFromSaveKind(int saveKind) {
    return saveKind == 0 ? kBitmapFrames : kJpegFrames;
}

std::string WithTrailingSeparator(std::string folder) {
    return folder.empty() ? folder : JoinPath(folder, "");
}

std::string FramePath(const std::string& folder, int index, int kind) {
    if (folder.empty() || index < 0) return {};
    return WithTrailingSeparator(folder) + FrameFileName(index, FrameKindFromSaveKind(kind));
}

int FolderFrameKind(const std::string& folder) {
    if (FileExists(FramePath(folder, 0, kBitmapFrames))) return kBitmapFrames;
    if (FileExists(FramePath(folder, 0, kJpegFrames))) return kJpegFrames;
    return -1;
}

int LastFrameIndex(const std::string& folder, int kind) {
    int last = -1;
    while (last < std::numeric_limits<int>::max() && FileExists(FramePath(folder, last + 1, kind)))
        ++last;
    return last;
}

}  // namespace fennix
