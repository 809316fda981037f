#pragma once

// Shared by the screenshot tool's parts: each window area registers a
// function that renders its windows, and the tool runs them all in turn.

#include <QDir>
#include <QImage>
#include <QPalette>
#include <QSize>
#include <QString>
#include <QTemporaryDir>
#include <QWidget>
#include <deque>
#include <functional>
#include <string>

#include "core/Prompts.h"

namespace fennix {
class Fennix_Main;
}

namespace fennix::shots {

// Renders `widget` into folder/name.png and prints the path; a failure is
// counted and makes the tool's exit status non-zero.
void Save(QWidget* widget, const QDir& folder, const QString& name);

// Lets the events run until the document's automatic fit and preview frame
// are done (20 seconds at most), then once more, so what they made shows.
void SettleDocument(const Fennix_Main& document);

// Writes `start` and `end` into `folder` as bitmaps and opens them as a
// new morph in `document`, resized to `size`, settled. False when a
// picture cannot be written. The folder must outlive the document.
bool OpenPair(Fennix_Main& document, const QImage& start, const QImage& end, const QTemporaryDir& folder,
              QSize size);

// Everything a shooting function gets: the output folder and the folder of
// the sample pictures. The application folder is a fresh temporary one.
struct Context {
    QDir out;
    std::string samples;
};

// A sample picture enlarged to `size` and written into `folder` as a JPEG
// photograph named `name`; its path.
std::string EnlargedPhoto(const std::string& sample, const QTemporaryDir& folder,
                          const char* name, QSize size);

// A dark desktop palette, for the shots of the windows under a dark theme
// (FENNIX_SHOTS_PALETTE=dark).
QPalette DarkPalette();

// Registers a function from a file-scope object:
//   const fennix::shots::Register viewer("viewer", [](const Context& c) { … });
struct Register {
    Register(const char* name, std::function<void(const Context&)> shoot);
};

// Answers the file dialogs with the given paths, one after the other, and
// every message with OK.
class PickingPrompts : public Prompts {
  public:
    explicit PickingPrompts(std::deque<std::string> paths) : paths_(std::move(paths)) {}
    MessageAnswer Message(const std::string&, const std::string&, MessageIcon,
                          MessageButtons) override {
        return MessageAnswer::Ok;
    }
    FileAnswer ChooseFile(const FileRequest&) override {
        if (paths_.empty()) return {};
        FileAnswer answer{true, paths_.front(), 1, false};
        paths_.pop_front();
        return answer;
    }

  private:
    std::deque<std::string> paths_;
};

}  // namespace fennix::shots
