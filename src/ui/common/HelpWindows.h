#pragma once

#include <QKeySequence>
#include <QList>
#include <QString>
#include <string>
#include <vector>

class QAction;
class QMenu;
class QWidget;

namespace fennix {

// One line of the keyboard shortcuts window: the keys (several where more
// than one does the same) and what they do.
struct ShortcutEntry {
    QList<QKeySequence> keys;  // empty for a mouse gesture
    const char* gesture;       // the gesture's text, when keys is empty
    const char* what;          // the menu item or action (Japanese; Tr'd when shown)
};

// Every key and gesture of the program, in the order the window lists them.
const std::vector<ShortcutEntry>& ShortcutEntries();

// The text of バージョン情報: the program, its version and licence, and the
// version of every library it is built on (see LibraryVersions), one a
// line.
std::string AboutText();

// The guide: the README shown in a window of its own (one at a time; asked
// again, the one open comes to the front). The README is built into the
// program.
QWidget* ShowGuide(QWidget* owner);
// The keyboard shortcuts in a window of its own (one at a time).
QWidget* ShowShortcuts(QWidget* owner);
// バージョン情報 in a window of its own (one at a time).
QWidget* ShowAbout(QWidget* owner);

// The menu ヘルプ: 使い方 (F1), キーボードショートカット, バージョン情報,
// owned by `owner`, whose windows the items open over.
QMenu* BuildHelpMenu(QWidget* owner);

}  // namespace fennix
