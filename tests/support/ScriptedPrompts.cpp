#include "support/ScriptedPrompts.h"

#include <QGuiApplication>

namespace fennix::test {

MessageAnswer ScriptedPrompts::Message(const std::string& text, const std::string& title,
                                       MessageIcon icon, MessageButtons buttons) {
    shown.push_back({text, title, icon, buttons, QGuiApplication::overrideCursor() != nullptr});
    ++answering;
    withdrawNow = false;
    if (onMessage) onMessage(shown.back());
    --answering;
    if (withdrawNow) {
        withdrawNow = false;
        return MessageAnswer::Cancel;
    }
    if (!answers.empty()) {
        const MessageAnswer answer = answers.front();
        answers.pop_front();
        return answer;
    }
    switch (buttons) {
        case MessageButtons::YesNo:
        case MessageButtons::YesNoCancel: return MessageAnswer::Yes;
        case MessageButtons::RetryCancel: return MessageAnswer::Retry;
        case MessageButtons::YesNoDefaultNo: return MessageAnswer::No;
        default: return MessageAnswer::Ok;
    }
}

FileAnswer ScriptedPrompts::ChooseFile(const FileRequest& request) {
    fileRequests.push_back(request);
    if (files.empty()) return {};
    FileAnswer answer = files.front();
    files.pop_front();
    return answer;
}

int32_t ScriptedPrompts::PickColor(int32_t color) {
    colorStarts.push_back(color);
    if (colors.empty()) return -1;
    const int32_t answer = colors.front();
    colors.pop_front();
    return answer;
}

bool ScriptedPrompts::ChooseFolder(const std::string&, const std::string& start,
                                   std::string& folder) {
    folderStarts.push_back(start);
    if (folders.empty()) return false;
    const std::string answer = folders.front();
    folders.pop_front();
    if (answer.empty()) return false;
    folder = answer;
    return true;
}

void ScriptedPrompts::WithdrawMessage() {
    if (answering == 0) return;
    ++withdrawn;
    withdrawNow = true;
}

ScopedPrompts::ScopedPrompts() {
    auto prompts = std::make_unique<ScriptedPrompts>();
    prompts_ = prompts.get();
    previous_ = InstallPrompts(std::move(prompts));
}

ScopedPrompts::~ScopedPrompts() { InstallPrompts(std::move(previous_)); }

}  // namespace fennix::test
