#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace fennix {

enum class MessageIcon { None, Information, Exclamation, Critical, Question };
// YesNoDefaultNo: はい and いいえ with いいえ taken by Enter, for questions
// whose はい throws work away.
enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel, YesNoDefaultNo };
enum class MessageAnswer { Ok, Cancel, Yes, No, Retry };

inline constexpr const char* kAppTitle = "Fennix";

// What an open or save dialog is asked to show.
struct FileRequest {
    bool Save = false;
    std::string Title;
    std::string Folder;                // the folder the dialog opens in
    std::vector<std::string> Filters;  // description, patterns, description, patterns …
    int FilterIndex = 1;               // 1-based pair shown first
    std::string FileName;              // the name offered at first
    std::string DefaultExt;            // added when the chosen name has no extension
    bool OverwritePrompt = false;      // save: ask before replacing a file
    bool FileMustExist = false;        // open: only existing files
    bool ShowReadOnly = false;         // open: show the read-only box
};

// What the user did with the dialog.
struct FileAnswer {
    bool Confirmed = false;
    std::string Path;
    int FilterIndex = 0;  // 1-based pair selected at the end
    bool ReadOnly = false;
};

// Every modal question of the program goes through one Prompts object: the
// real one shows Qt dialogs, tests install a scripted one.
class Prompts {
  public:
    virtual ~Prompts() = default;

    // Shows a modal message box and returns the button the user chose.
    virtual MessageAnswer Message(const std::string& text, const std::string& title,
                                  MessageIcon icon, MessageButtons buttons) = 0;

    // Shows an open or save dialog. The default answers as a cancel.
    virtual FileAnswer ChooseFile(const FileRequest& request);

    // Shows the colour chooser starting at `color` (packed RGB, red in the
    // lowest byte) and returns the chosen colour, or -1 when cancelled. The
    // default cancels.
    virtual int32_t PickColor(int32_t color);

    // Shows a folder chooser opening at `start`; true and `folder` set when
    // one was chosen. The default cancels.
    virtual bool ChooseFolder(const std::string& title, const std::string& start,
                              std::string& folder);

    // Takes back the message shown last that is still up, when what it
    // asks about is over: it closes unanswered and its Message call
    // returns Cancel. Nothing happens when no message is up (the default).
    virtual void WithdrawMessage();
};

// The prompts in use. Until one is installed, messages are written to
// standard error and answered with the default button (Ok, Yes, Retry, or
// No where No is the default).
Prompts& CurrentPrompts();

// Installs `prompts` for the rest of the run (or until the next call) and
// returns the one installed before.
std::unique_ptr<Prompts> InstallPrompts(std::unique_ptr<Prompts> prompts);

// The question a save dialog asks before it replaces the file `fileName`
// (a name without folder).
std::string OverwriteQuestion(const std::string& fileName);

// CurrentPrompts().Message with the application title "Fennix".
MessageAnswer ShowMessage(const std::string& text, MessageIcon icon,
                          MessageButtons buttons = MessageButtons::Ok);

}  // namespace fennix
