#include "model/Settings.h"

#include "core/AppFolder.h"
#include "core/NumberText.h"
#include "core/Paths.h"
#include "core/Profile.h"

namespace fennix {

SettingsRecord Settings;

namespace {

// The key names of the settings file, in the order they are read and written.
constexpr const char* kSourceFolderKey = "フォルダ（org）";
constexpr const char* kProjectFolderKey = "フォルダ（mph）";
constexpr const char* kAviFolderKey = "フォルダ（avi）";
constexpr const char* kFrameCountKey = "総フレーム数";
constexpr const char* kRowsKey = "マトリクス行数";
constexpr const char* kColumnsKey = "マトリクス列数";
constexpr const char* kPointerSizeKey = "ポインタの大きさ";
constexpr const char* kSaveKindKey = "保存ファイルの種類";
constexpr const char* kMatrixColorKey = "マトリクスの色";
constexpr const char* kPointerColorKey = "ポインタの色";
constexpr const char* kPlayIntervalKey = "再生インターバル";
constexpr const char* kAviRepeatKey = "AVIリピート";
constexpr const char* kRecentDisplayKey = "最近使ったファイル表示";
constexpr const char* kRecentFileKey = "最近使ったファイル";
constexpr const char* kPreviewKey = "プレビュー表示";
constexpr const char* kVideoFolderKey = "フォルダ（動画）";
constexpr const char* kWholeViewKey = "全体表示";

std::string RecentKey(int n) { return kRecentFileKey + std::to_string(n); }

// A file or folder name of the settings file that names something present:
// the value's bytes as stored when they do (a name in another encoding than
// UTF-8, Latin-1 say, is kept as the bytes it is on the disk), otherwise its
// decoded text (a cp932 name of the Windows program). Empty when neither
// names anything.
std::string ReadPath(const std::string& key, const ProfileFile& file,
                     bool (*present)(std::string_view)) {
    const std::string bytes = file.ReadBytes(kSettingsSection, key);
    if (!bytes.empty() && present(bytes)) return bytes;
    const std::string text = file.Read(kSettingsSection, key);
    if (!text.empty() && present(text)) return text;
    return {};
}

std::string ReadFolder(const std::string& key, const ProfileFile& file) {
    std::string folder = ReadPath(key, file, DirectoryExists);
    return folder.empty() ? ApplicationFolder() : folder;
}

int32_t Read32(const std::string& key, int32_t fallback, const ProfileFile& file) {
    return ConvertInt32(file.Read(kSettingsSection, key), fallback);
}

int16_t Read16(const std::string& key, int16_t fallback, const ProfileFile& file) {
    return ConvertInt16(file.Read(kSettingsSection, key), fallback);
}

}  // namespace

std::string SettingsFilePath() {
    return JoinPath(SettingsFolder(), kSettingsFileName);
}

std::string AdditionsFilePath() {
    return JoinPath(SettingsFolder(), kAdditionsFileName);
}

std::string ReadIniValue(const std::string& section, const std::string& key,
                         const std::string& file) {
    return Profile::Read(file, section, key);
}

void WriteIniValue(const std::string& section, const std::string& key, const std::string& value,
                   const std::string& file) {
    Profile::Write(file, section, key, value);
}

void LoadSettings() {
    // Each file is read once, however many keys it holds.
    const ProfileFile file(SettingsFilePath());
    Settings.SourceFolder() = ReadFolder(kSourceFolderKey, file);
    Settings.ProjectFolder() = ReadFolder(kProjectFolderKey, file);
    Settings.AviFolder() = ReadFolder(kAviFolderKey, file);
    Settings.FrameCount = Read32(kFrameCountKey, 20, file);
    Settings.Rows = Read32(kRowsKey, 5, file);
    Settings.Columns = Read32(kColumnsKey, 5, file);
    Settings.PointerSize = Read32(kPointerSizeKey, 5, file);
    Settings.SaveKind = Read16(kSaveKindKey, 0, file);
    Settings.MatrixColor = Read32(kMatrixColorKey, 16777215, file);
    Settings.PointerColor = Read32(kPointerColorKey, 255, file);
    Settings.PlayInterval = Read16(kPlayIntervalKey, 100, file);
    Settings.AviRepeat = Read16(kAviRepeatKey, 3, file);
    Settings.RecentDisplay = Read16(kRecentDisplayKey, 2, file);
    for (int n = 1; n <= kRecentFileCount; ++n)
        Settings.RecentFiles[n] = ReadPath(RecentKey(n), file, FileExists);
    // The program's own additions live in a file of their own, so the
    // settings file keeps exactly its keys.
    const ProfileFile additions(AdditionsFilePath());
    Settings.PreviewShown = Read16(kPreviewKey, 0, additions) != 0;
    Settings.VideoFolder = ReadPath(kVideoFolderKey, additions, DirectoryExists);
    Settings.WholePictureShown = Read16(kWholeViewKey, 0, additions) != 0;
}

bool SaveSettings() {
    Profile::Entries entries;
    auto text = [&](const std::string& key, const std::string& value) {
        entries.emplace_back(key, value);
    };
    auto number = [&](const char* key, long long value) { text(key, NumberText(value)); };

    text(kSourceFolderKey, Settings.SourceFolder());
    text(kProjectFolderKey, Settings.ProjectFolder());
    text(kAviFolderKey, Settings.AviFolder());
    number(kFrameCountKey, Settings.FrameCount);
    number(kRowsKey, Settings.Rows);
    number(kColumnsKey, Settings.Columns);
    number(kPointerSizeKey, Settings.PointerSize);
    number(kSaveKindKey, Settings.SaveKind);
    number(kMatrixColorKey, Settings.MatrixColor);
    number(kPointerColorKey, Settings.PointerColor);
    number(kPlayIntervalKey, Settings.PlayInterval);
    number(kAviRepeatKey, Settings.AviRepeat);
    number(kRecentDisplayKey, Settings.RecentDisplay);
    for (int n = 1; n <= kRecentFileCount; ++n) text(RecentKey(n), Settings.RecentFiles[n]);
    // Where the settings cannot be written, nothing else is either.
    if (!Profile::Write(SettingsFilePath(), kSettingsSection, entries)) return false;
    const Profile::Entries additions = {{kPreviewKey, NumberText(Settings.PreviewShown ? 1 : 0)},
                                        {kVideoFolderKey, Settings.VideoFolder},
                                        {kWholeViewKey, NumberText(Settings.WholePictureShown ? 1 : 0)}};
    return Profile::Write(AdditionsFilePath(), kSettingsSection, additions);
}

}  // namespace fennix
