#pragma once

#include <deque>
#include <string>
#include <vector>

#include "platform/Prompts.h"

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
    };

    MessageAnswer Message(const std::string& text, const std::string& title, MessageIcon icon,
                          MessageButtons buttons) override;

    void Answer(MessageAnswer answer) { answers.push_back(answer); }

    std::deque<MessageAnswer> answers;
    std::vector<Shown> shown;
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
