#include "media/AviFrames.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

#include "core/AppFolder.h"
#include "core/NumberText.h"
#include "core/Paths.h"
#include "core/Rounding.h"
#include "media/FrameSequence.h"

namespace fennix {

int FolderDialogMode = 0;
std::string AviPlayPath;

namespace {

namespace fs = std::filesystem;

char Lower(char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

bool Wildcard(const char* pattern, const char* name) {
    for (; *pattern; ++pattern) {
        if (*pattern == '*') {
            for (const char* rest = name;; ++rest) {
                if (Wildcard(pattern + 1, rest)) return true;
                if (!*rest) return false;
            }
        }
        if (!*name) return false;
        if (*pattern != '?' && Lower(*pattern) != Lower(*name)) return false;
        ++name;
    }
    return !*name;
}

}  // namespace

bool MatchesPatterns(const std::string& name, const std::string& patterns) {
    size_t start = 0;
    while (start <= patterns.size()) {
        size_t end = patterns.find(';', start);
        if (end == std::string::npos) end = patterns.size();
        const std::string pattern(
            TrimBlanks(std::string_view(patterns).substr(start, end - start)));
        if (!pattern.empty() && Wildcard(pattern.c_str(), name.c_str())) return true;
        start = end + 1;
    }
    return false;
}

bool FileNameLess(const std::string& a, const std::string& b) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const auto ca = static_cast<unsigned char>(Lower(a[i]));
        const auto cb = static_cast<unsigned char>(Lower(b[i]));
        if (ca != cb) return ca < cb;
    }
    if (a.size() != b.size()) return a.size() < b.size();
    return a < b;
}

std::vector<std::string> ListFolderFiles(const std::string& folder, const std::string& patterns) {
    std::vector<std::string> names;
    std::error_code error;
    fs::directory_iterator it(fs::path(folder), error), end;
    for (; !error && it != end; it.increment(error)) {
        std::error_code kind;
        if (!it->is_regular_file(kind)) continue;
        // The name's own bytes: a name that is not valid UTF-8 is listed too.
        const std::string name = it->path().filename().native();
        if (MatchesPatterns(name, patterns)) names.push_back(name);
    }
    std::sort(names.begin(), names.end(), FileNameLess);
    return names;
}

std::vector<std::string> ListFrameFolder(const std::string& folder) {
    std::vector<std::string> names = ListFolderFiles(folder, kFramePatterns);
    std::stable_sort(names.begin(), names.end(), FrameOrderLess);
    return names;
}

bool HasFirstFrame(const std::string& folder) {
    return FileExists(JoinPath(folder, "000.bmp")) || FileExists(JoinPath(folder, "000.jpg"));
}

bool IsOneOfFrames(const std::string& output, const std::vector<std::string>& frames) {
    return !FrameAtOutput(output, frames).empty();
}

std::string FrameAtOutput(const std::string& output, const std::vector<std::string>& frames) {
    struct stat target {};
    if (::stat(output.c_str(), &target) != 0) return {};
    for (const std::string& frame : frames) {
        struct stat info {};
        if (::stat(frame.c_str(), &info) == 0 && info.st_dev == target.st_dev &&
            info.st_ino == target.st_ino)
            return frame;
    }
    return {};
}

std::optional<int16_t> FieldToInt16(const std::string& text) {
    const auto number = ParseNumber(text);
    if (!number) return std::nullopt;
    const double rounded = RoundEven(*number);
    if (rounded < -32768.0 || rounded > 32767.0) return std::nullopt;
    return static_cast<int16_t>(rounded);
}

int ClampFrameRate(int rate) {
    return std::clamp(rate, 1, 30);
}

QSizeF PreviewSize(int width, int height) {
    if (width <= 0 || height <= 0) return {0, 0};
    if (width > height) return {93.0, height * 93.0 / width};
    return {width * 93.0 / height, 93.0};
}

QSize PreviewPixels(int width, int height) {
    const QSizeF size = PreviewSize(width, height);
    return {RoundEvenInt(size.width()), RoundEvenInt(size.height())};
}

bool FrameSizeAllowed(int width, int height) {
    if (width <= 0 || height <= 0) return false;
    return int64_t{width} * height * 4 <= kMaxFrameBytes;
}

QImage StretchFrame(const QImage& source, int width, int height) {
    if (!FrameSizeAllowed(width, height) || source.isNull()) return {};
    if (source.width() == width && source.height() == height) return source;
    return source.scaled(width, height, Qt::IgnoreAspectRatio, Qt::FastTransformation);
}

std::string AviTempPath() {
    return JoinPath(ScratchFolder(), kAviTempName);
}

}  // namespace fennix
