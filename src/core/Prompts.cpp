#include "core/Prompts.h"

#include <cstdio>
#include "core/Translation.h"

namespace fennix {

namespace {

class ConsolePrompts : public Prompts {
  public:
    MessageAnswer Message(const std::string& text, const std::string& title, MessageIcon,
                          MessageButtons buttons) override {
        std::fprintf(stderr, "%s: %s\n", title.c_str(), text.c_str());
        switch (buttons) {
            case MessageButtons::YesNo:
            case MessageButtons::YesNoCancel:
                return MessageAnswer::Yes;
            case MessageButtons::RetryCancel:
                return MessageAnswer::Retry;
            case MessageButtons::YesNoDefaultNo:
                return MessageAnswer::No;
            default:
                return MessageAnswer::Ok;
        }
    }
};

std::unique_ptr<Prompts>& Installed() {
    static std::unique_ptr<Prompts> prompts = std::make_unique<ConsolePrompts>();
    return prompts;
}

}  // namespace

FileAnswer Prompts::ChooseFile(const FileRequest&) {
    return {};
}

int32_t Prompts::PickColor(int32_t) {
    return -1;
}

void Prompts::WithdrawMessage() {}

bool Prompts::ChooseFolder(const std::string&, const std::string&, std::string&) {
    return false;
}

Prompts& CurrentPrompts() {
    return *Installed();
}

std::unique_ptr<Prompts> InstallPrompts(std::unique_ptr<Prompts> prompts) {
    auto previous = std::move(Installed());
    Installed() = prompts ? std::move(prompts) : std::make_unique<ConsolePrompts>();
    return previous;
}

std::string OverwriteQuestion(const std::string& fileName) {
    return fileName + Tr("Prompts", " は既に存在します。\n上書きしますか？");
}

MessageAnswer ShowMessage(const std::string& text, MessageIcon icon, MessageButtons buttons) {
    return CurrentPrompts().Message(text, kAppTitle, icon, buttons);
}

}  // namespace fennix
