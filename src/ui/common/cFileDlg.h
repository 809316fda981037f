#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace fennix {

// The open and save file dialogs of the program. A caller sets a few
// properties, calls VBGetOpenFileName or VBGetSaveFileName and reads back
// whether the user confirmed and which path was chosen. Every dialog opens
// in the settings' DialogFolder, which callers set just before. The dialog
// itself is shown through the installed Prompts, so tests script the answer.
class cFileDlg {
  public:
    cFileDlg();

    int32_t OwnerHwnd = -1;  // -1: no owner
    bool FileMustExist = true;
    bool MultiSelect = false;
    bool HideReadOnly = true;
    // Filter list: description|pattern|description|pattern …; every "|" and
    // every ":" separates two entries. After a confirmed dialog: the
    // selected description and pattern, separated by one NUL.
    std::string Filter;
    int32_t FilterIndex = 0;    // 1-based selected pair
    std::string InitDirectory;  // stored only; dialogs open in DialogFolder
    std::string DlgTitle;       // the application title until set
    std::string DefaultExt;
    int32_t Flags = 0;
    bool OverwritePrompt = true;

    // Set to true when the user ticked the read-only box; never cleared.
    bool ReadOnly() const { return readOnly_; }

    // Sets InitDirectory to a special folder: 5 is the user's documents
    // folder (0 the desktop, 39 the pictures folder). Unknown identifiers,
    // or folders that cannot be found, give empty text.
    void SetInitDirectorySpecial(int32_t id);

    // Show the dialog, offering `fileName`. True when the user confirmed:
    // `fileName` is the chosen path and `fileTitle` its name without
    // folder. False on cancel: both become a text of one NUL character,
    // Flags 0, Filter one NUL, FilterIndex -1 (open) or 0 (save).
    bool VBGetOpenFileName(std::string& fileName, std::string& fileTitle);
    bool VBGetSaveFileName(std::string& fileName, std::string& fileTitle);

    // True when the length of the file at `path` can be read.
    static bool ExistFile(const std::string& path);

    // The file's display title: its name without folder. Empty for a path
    // that names no file.
    static std::string VBGetFileTitle(const std::string& path);

  private:
    bool Show(bool save, std::string& fileName, std::string& fileTitle);

    bool readOnly_ = false;
};

// Flag bits of the dialog record.
inline constexpr int32_t kOfnReadOnly = 0x1;
inline constexpr int32_t kOfnOverwritePrompt = 0x2;
inline constexpr int32_t kOfnHideReadOnly = 0x4;
inline constexpr int32_t kOfnEnableHook = 0x20;
inline constexpr int32_t kOfnEnableTemplate = 0x40;
inline constexpr int32_t kOfnAllowMultiSelect = 0x200;
inline constexpr int32_t kOfnFileMustExist = 0x1000;

// The filter text as the dialog record holds it: every "|" and ":" turned
// into a NUL, two NULs appended.
std::string ConvertFilter(const std::string& filter);

// The entries of a converted filter, up to its double NUL.
std::vector<std::string> FilterEntries(const std::string& converted);

// Pair `index` (1-based) of a converted filter: description, NUL, pattern.
// Empty text for an index before the list, one NUL past its end.
std::string SelectedFilter(const std::string& converted, int32_t index);

}  // namespace fennix
