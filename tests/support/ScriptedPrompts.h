#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/Prompts.h"

namespace fennix::test {

// Prompts that answer from a script, in order, and record everything shown.
// When the script runs out the first button is the answer (Ok or Yes).
class ScriptedPrompts : public Prompts {
public:
    struct Shown {
        std::string text;
        std::string title;
        MessageIcon icon;
        MessageButtons buttons;
        bool busyPointer;  // an override cursor was set when it was shown
    };

    MessageAnswer Message(const std::string& text, const std::string& title, MessageIcon icon,
                          MessageButtons buttons) override;

    // File and folder dialogs answer with the scripted paths in order; an
    // empty path or an empty script is a cancel.
    FileAnswer ChooseFile(const FileRequest& request) override;
    // Colours answer in order; an empty script cancels (-1).
    int32_t PickColor(int32_t color) override;
    bool ChooseFolder(const std::string& title, const std::string& start,
                      std::string& folder) override;
    // Counts the calls; a message being answered then gives Cancel,
    // whatever the script says (the script's answer stays for the next).
    void WithdrawMessage() override;

    void Answer(MessageAnswer answer) { answers.push_back(answer); }
    // The next file dialog picks `path` (with filter pair `filterIndex`).
    void ChooseFilePath(const std::string& path, int filterIndex = 1) {
        files.push_back({!path.empty(), path, filterIndex, false});
    }

    // Called with each message as it is shown, before it is answered.
    std::function<void(const Shown&)> onMessage;

    std::deque<MessageAnswer> answers;
    std::vector<Shown> shown;
    int withdrawn = 0;  // WithdrawMessage calls while a message was up
    int answering = 0;  // messages being answered (inside onMessage)
    bool withdrawNow = false;
    std::deque<FileAnswer> files;
    std::vector<FileRequest> fileRequests;
    std::deque<int32_t> colors;
    std::vector<int32_t> colorStarts;
    std::deque<std::string> folders;  // empty text: cancel
    std::vector<std::string> folderStarts;
};

// Installs a ScriptedPrompts for the life of the object and puts the previous
// prompts back afterwards.
class ScopedPrompts {
public:
    ScopedPrompts();
    ~ScopedPrompts();
    ScriptedPrompts& operator*() { return *prompts_; }
    ScriptedPrompts* operator->() { return prompts_; }

private:
    ScriptedPrompts* prompts_;
    std::unique_ptr<Prompts> previous_;
};

}  // namespace fennix::test
