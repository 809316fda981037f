#include "ui/common/cFileDlg.h"

#include <sys/stat.h>
#include <QFile>
#include <QStandardPaths>

#include "model/Settings.h"
#include "core/Paths.h"
#include "core/Prompts.h"

namespace fennix {

namespace {

const std::string kNul(1, '\0');

std::string DocumentsFolder() {
    return QFile::encodeName(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)).toStdString();
}

}  // namespace

std::string ConvertFilter(const std::string& filter) {
    std::string converted;
    converted.reserve(filter.size() + 2);
    for (const char c : filter) converted += (c == '|' || c == ':') ? '\0' : c;
    return converted + kNul + kNul;
}

std::vector<std::string> FilterEntries(const std::string& converted) {
    std::vector<std::string> entries;
    size_t start = 0;
    while (start < converted.size()) {
        const size_t end = converted.find('\0', start);
        if (end == std::string::npos || end == start) break;  // the double NUL ends the list
        entries.push_back(converted.substr(start, end - start));
        start = end + 1;
    }
    return entries;
}

std::string SelectedFilter(const std::string& converted, int32_t index) {
    if (index < 1) return {};
    const std::vector<std::string> entries = FilterEntries(converted);
    const size_t first = static_cast<size_t>(index - 1) * 2;
    if (first >= entries.size()) return kNul;
    if (first + 1 >= entries.size()) return entries[first] + kNul;
    return entries[first] + kNul + entries[first + 1];
}

cFileDlg::cFileDlg() : InitDirectory(DocumentsFolder()), DlgTitle(kAppTitle) {}

void cFileDlg::SetInitDirectorySpecial(int32_t id) {
    QStandardPaths::StandardLocation location;
    switch (id) {
        case 0:
            location = QStandardPaths::DesktopLocation;
            break;
        case 5:
            location = QStandardPaths::DocumentsLocation;
            break;
        case 39:
            location = QStandardPaths::PicturesLocation;
            break;
        default:
            InitDirectory.clear();
            return;
    }
    InitDirectory = QFile::encodeName(QStandardPaths::writableLocation(location)).toStdString();
}

bool cFileDlg::VBGetOpenFileName(std::string& fileName, std::string& fileTitle) {
    return Show(false, fileName, fileTitle);
}

bool cFileDlg::VBGetSaveFileName(std::string& fileName, std::string& fileTitle) {
    return Show(true, fileName, fileTitle);
}

bool cFileDlg::Show(bool save, std::string& fileName, std::string& fileTitle) {
    const std::string converted = ConvertFilter(Filter);
    const int32_t passed = Flags & ~(kOfnEnableHook | kOfnEnableTemplate);
    int32_t flags = passed;
    if (save) {
        if (OverwritePrompt) flags |= kOfnOverwritePrompt;
        flags |= kOfnHideReadOnly;
    } else {
        if (FileMustExist) flags |= kOfnFileMustExist;
        if (MultiSelect) flags |= kOfnAllowMultiSelect;
        if (HideReadOnly) flags |= kOfnHideReadOnly;
        if (readOnly_) flags |= kOfnReadOnly;
    }

    FileRequest request;
    request.Save = save;
    request.Title = DlgTitle;
    request.Folder = Settings.DialogFolder();
    request.Filters = FilterEntries(converted);
    request.FilterIndex = FilterIndex;
    // The name offered ends at its first NUL, as in a fixed-size buffer.
    request.FileName = fileName.substr(0, fileName.find('\0'));
    request.DefaultExt = DefaultExt;
    request.OverwritePrompt = (flags & kOfnOverwritePrompt) != 0;
    request.FileMustExist = (flags & kOfnFileMustExist) != 0;
    request.ShowReadOnly = !save && (flags & kOfnHideReadOnly) == 0;

    const FileAnswer answer = CurrentPrompts().ChooseFile(request);
    if (!answer.Confirmed || answer.Path.empty()) {
        fileName = kNul;
        fileTitle = kNul;
        Flags = 0;
        Filter = kNul;
        FilterIndex = save ? 0 : -1;
        return false;
    }
    fileName = answer.Path;
    fileTitle = PathFileName(answer.Path);
    if (answer.ReadOnly) flags |= kOfnReadOnly;
    Flags = flags;
    FilterIndex = answer.FilterIndex;
    Filter = SelectedFilter(converted, FilterIndex);
    InitDirectory = answer.Path;
    if (!save && (flags & kOfnReadOnly)) readOnly_ = true;
    return true;
}

bool cFileDlg::ExistFile(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

std::string cFileDlg::VBGetFileTitle(const std::string& path) {
    if (!ExistFile(path)) return {};
    return PathFileName(path);
}

}  // namespace fennix
