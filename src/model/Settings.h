#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace fennix {

// The one settings record of the program, shared by every window: the
// stored preferences, the folders the dialogs start from, the recent files,
// the working folders and the flags that windows use to hand results to
// each other.
struct SettingsRecord {
    std::string TempFolder;   // application folder + "/テンポラリデータ"
    std::string ImageFolder;  // application folder + "/スタート・エンド画像データ"

    // 0 DialogFolder, 1 SourceFolder, 2 ProjectFolder, 3 FrameFolder, 4 AviFolder.
    std::array<std::string, 5> Folders;
    std::string& DialogFolder() { return Folders[0]; }
    std::string& SourceFolder() { return Folders[1]; }
    std::string& ProjectFolder() { return Folders[2]; }
    std::string& FrameFolder() { return Folders[3]; }
    std::string& AviFolder() { return Folders[4]; }

    int32_t FrameCount = 0;
    int32_t Rows = 0;
    int32_t Columns = 0;
    int32_t PointerSize = 0;
    int16_t SaveKind = 0;
    int32_t MatrixColor = 0;
    int32_t PointerColor = 0;
    int16_t PlayInterval = 0;
    int16_t AviRepeat = 0;
    int16_t RecentDisplay = 0;
    bool PreviewShown = false;  // the document windows' preview pane
    std::string VideoFolder;    // where videos were saved last; empty: none yet
    bool WholePictureShown = false;  // 画像の選択 shows each picture shrunk whole
    std::array<std::string, 21> RecentFiles;  // entries 1 … 20; [0] unused

    bool IsNewMorph = false;
    bool DialogConfirmed = false;
    bool ViewerFromMenu = false;
    int32_t BackgroundColor = 0;
};

extern SettingsRecord Settings;

inline constexpr const char* kSettingsSection = "Section";
inline constexpr int kRecentFileCount = 20;

inline constexpr const char* kSettingsFileName = "Fennix.ini";
inline constexpr const char* kAdditionsFileName = "Fennix-additions.ini";

// The settings file: settings folder + "/Fennix.ini".
std::string SettingsFilePath();
// The file of the settings the program adds to those of Fennix.ini (the
// preview's choice, the videos' folder), beside it, in the same form.
std::string AdditionsFilePath();

// The value of `key` in `section` of `file`, read whole; empty when the key
// or the file is missing.
std::string ReadIniValue(const std::string& section, const std::string& key,
                         const std::string& file);

// Writes one key; failures are ignored.
void WriteIniValue(const std::string& section, const std::string& key, const std::string& value,
                   const std::string& file);

// Fills the stored fields of Settings from the settings file, key by key in
// the order of the file's table. Empty or unreadable values take their
// defaults, folders that no longer exist become the application folder, and
// recent files that can no longer be opened become empty entries. A file
// name is taken as the bytes stored when they name something present, else
// as decoded text (see Profile). A settings file that cannot be read (a
// folder, a FIFO, an I/O error) counts as missing: every value its default.
void LoadSettings();

// Writes the stored fields of Settings to the settings file in table order,
// keeping every other section, key and byte of the file, in one replacement
// of the file. A value holding a line break is written as empty. Returns
// false, with the file left as it was, when it cannot be read or written.
bool SaveSettings();

}  // namespace fennix
