#pragma once

#include "platform/Prompts.h"

namespace fennix {

// The real prompts: Qt's message boxes, owned by the active window.
class QtPrompts : public Prompts {
public:
    MessageAnswer Message(const std::string& text, const std::string& title, MessageIcon icon,
                          MessageButtons buttons) override;
};

}  // namespace fennix
