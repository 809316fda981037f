#pragma once

#include <QString>
#include <vector>

class QDialog;

#include "core/Prompts.h"

namespace fennix {

// The real prompts: Qt's message boxes, owned by the active window.
class QtPrompts : public Prompts {
public:
    MessageAnswer Message(const std::string& text, const std::string& title, MessageIcon icon,
                          MessageButtons buttons) override;
    // Qt's own file dialog (not the platform's), so the start folder and the
    // filters behave the same everywhere; the overwrite question is ours, in
    // Japanese.
    FileAnswer ChooseFile(const FileRequest& request) override;
    // QColorDialog; its 16 custom colours start white at every call.
    int32_t PickColor(int32_t color) override;
    bool ChooseFolder(const std::string& title, const std::string& start,
                      std::string& folder) override;
    void WithdrawMessage() override;

  private:
    // The message boxes up now, the latest last.
    std::vector<QDialog*> open_;
};

// The text the file dialog's filter list shows for one description and its
// patterns ("*.bmp;*.jpg"): the description with the patterns separated by
// blanks, so that Qt reads every pattern, e.g. "画像 (*.bmp *.jpg)".
QString QtFilterText(const std::string& description, const std::string& patterns);

}  // namespace fennix
