#include "model/LaunchFiles.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "core/Translation.h"

namespace fennix {

namespace {

std::string LowerExtension(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    const size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
    std::string extension = path.substr(dot + 1);
    std::transform(extension.begin(), extension.end(), extension.begin(), [](unsigned char c) {
        return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : char(c);
    });
    return extension;
}

bool IsRegularFile(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

bool Exists(const std::string& path) {
    std::error_code error;
    return std::filesystem::exists(path, error);
}

std::string Absolute(const std::string& path, const std::string& workingFolder) {
    if (path.empty() || path.front() == '/' || workingFolder.empty()) return path;
    std::string folder = workingFolder;
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    return folder + "/" + path;
}

void AddLine(std::string& text, const std::string& line) {
    if (!text.empty()) text += "\n";
    text += line;
}

// Why the file at `path` cannot be opened, or empty text when it can.
std::string FileRefusal(const std::string& path) {
    if (!Exists(path)) return Format(Tr("LaunchFiles", "ファイルが見つかりません：%1"), {path});
    if (!IsRegularFile(path))
        return Format(Tr("LaunchFiles", "ファイルではありません：%1"), {path});
    return {};
}

}  // namespace

bool IsProjectFileName(const std::string& path) {
    return LowerExtension(path) == "mph";
}

bool IsPictureFileName(const std::string& path) {
    static const char* const kTypes[] = {"bmp", "dib", "jpg", "jpeg", "gif",
                                         "wmf", "png", "tif", "tiff", "webp"};
    const std::string extension = LowerExtension(path);
    return std::any_of(std::begin(kTypes), std::end(kTypes),
                       [&](const char* type) { return extension == type; });
}

LaunchPlan PlanLaunch(const std::vector<std::string>& files, const std::string& workingFolder) {
    LaunchPlan plan;
    std::vector<std::string> pictures;
    bool optionsEnd = false;
    for (const std::string& word : files) {
        if (word.empty()) continue;
        if (!optionsEnd && word == "--") {
            optionsEnd = true;
            continue;
        }
        if (!optionsEnd && word.front() == '-') {
            AddLine(plan.Refused, Format(Tr("LaunchFiles", "不明なオプションです：%1"), {word}));
            continue;
        }
        const std::string path = Absolute(word, workingFolder);
        const bool project = IsProjectFileName(path);
        if (!project && !IsPictureFileName(path)) {
            AddLine(plan.Refused,
                    Format(Tr("LaunchFiles",
                              "モーフィングファイル(*.mph)でも画像ファイルでもありません：%1"),
                           {path}));
            continue;
        }
        const std::string refusal = FileRefusal(path);
        if (!refusal.empty()) {
            AddLine(plan.Refused, refusal);
            continue;
        }
        (project ? plan.Projects : pictures).push_back(path);
    }
    if (pictures.size() == 2) {
        plan.StartPicture = pictures[0];
        plan.EndPicture = pictures[1];
    } else if (!pictures.empty()) {
        AddLine(plan.Refused,
                Format(Tr("LaunchFiles",
                          "画像は開始画像と終了画像の 2 枚を一緒に指定してください（%1 枚）。"),
                       {std::to_string(pictures.size())}));
        for (const std::string& picture : pictures) AddLine(plan.Refused, picture);
    }
    return plan;
}

std::string PictureDropRefusal(const std::vector<std::string>& files) {
    if (files.size() != 1)
        return Tr("LaunchFiles", "画像ファイルを 1 つだけドロップしてください。");
    const std::string& path = files.front();
    if (!IsPictureFileName(path))
        return Format(Tr("LaunchFiles", "画像ファイルではありません：%1"), {path});
    return FileRefusal(path);
}

}  // namespace fennix
