#pragma once

#include <QTranslator>
#include <memory>

namespace fennix {

// Qt's own Japanese texts ("qtbase_ja"): the buttons, labels and warnings of
// the standard file, folder and colour dialogs and of message boxes. Looked
// for in Qt's installed translations folder, then in a "translations" folder
// beside the program (for a copy that ships its own). Nothing when neither
// holds it; the standard dialogs then stay in English.
std::unique_ptr<QTranslator> LoadQtTranslation();

// Makes Japanese the locale Qt formats with, whatever the desktop's: the
// file dialogs' dates ("12月9日") and file types ("フォルダー") follow the
// rest of the interface.
void UseJapaneseLocale();

}  // namespace fennix
