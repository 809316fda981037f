#pragma once

#include <memory>
#include <string>

namespace fennix {

enum class MessageIcon { None, Information, Exclamation, Critical, Question };
enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel };
enum class MessageAnswer { Ok, Cancel, Yes, No, Retry };

inline constexpr const char* kAppTitle = "Fennix";

// Every modal question of the program goes through one Prompts object: the
// real one shows Qt dialogs, tests install a scripted one.
class Prompts {
public:
    virtual ~Prompts() = default;

    // Shows a modal message box and returns the button the user chose.
    virtual MessageAnswer Message(const std::string& text, const std::string& title,
                                  MessageIcon icon, MessageButtons buttons) = 0;
};

// The prompts in use. Until one is installed, messages are written to
// standard error and answered with the first button (Ok, Yes or Retry).
Prompts& CurrentPrompts();

// Installs `prompts` for the rest of the run (or until the next call) and
// returns the one installed before.
std::unique_ptr<Prompts> InstallPrompts(std::unique_ptr<Prompts> prompts);

// CurrentPrompts().Message with the application title "Fennix".
MessageAnswer ShowMessage(const std::string& text, MessageIcon icon,
                          MessageButtons buttons = MessageButtons::Ok);

}  // namespace fennix
