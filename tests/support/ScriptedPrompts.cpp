#include "support/ScriptedPrompts.h"

namespace fennix::test {

MessageAnswer ScriptedPrompts::Message(const std::string& text, const std::string& title,
                                       MessageIcon icon, MessageButtons buttons) {
    shown.push_back({text, title, icon, buttons});
    if (!answers.empty()) {
        const MessageAnswer answer = answers.front();
        answers.pop_front();
        return answer;
    }
    switch (buttons) {
        case MessageButtons::YesNo:
        case MessageButtons::YesNoCancel: return MessageAnswer::Yes;
        case MessageButtons::RetryCancel: return MessageAnswer::Retry;
        default: return MessageAnswer::Ok;
    }
}

ScopedPrompts::ScopedPrompts() {
    auto prompts = std::make_unique<ScriptedPrompts>();
    prompts_ = prompts.get();
    previous_ = InstallPrompts(std::move(prompts));
}

ScopedPrompts::~ScopedPrompts() { InstallPrompts(std::move(previous_)); }

}  // namespace fennix::test
