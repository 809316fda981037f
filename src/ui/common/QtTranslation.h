#pragma once

#include <QFileIconProvider>
#include <QTranslator>
#include <memory>
#include <string>
#include <vector>

#include "core/Translation.h"

namespace fennix {

// Qt's own Japanese texts ("qtbase_ja"): the buttons, labels and warnings of
// the standard file, folder and colour dialogs and of message boxes. Looked
// for in Qt's installed translations folder, then in a "translations" folder
// beside the program (for a copy that ships its own). Nothing when neither
// holds it; the standard dialogs then stay in English.
std::unique_ptr<QTranslator> LoadQtTranslation();

// Makes Japanese the locale Qt formats with, whatever the desktop's: the
// file dialogs' dates ("2026/12/09") and file types follow the rest of the
// interface. Called before the application object is made, as the system
// locale's time format is read from LC_TIME then (LC_ALL, when set, wins).
// Where the Japanese locale is not installed LC_TIME stays as it is, so the
// environment keeps naming locales that exist.
void UseJapaneseLocale();

// The interface language, in two steps around the making of the
// application object. Before it: Japanese sets the Japanese locale (above),
// English makes English the default locale. After it: Japanese installs
// Qt's Japanese texts, English the program's English catalogue (Qt's own
// texts are English already). The returned translators stay installed as
// long as the caller keeps them.
void PrepareLanguage(Language language);
std::vector<std::unique_ptr<QTranslator>> InstallLanguage(Language language);

// The file type Qt's file dialogs show for a folder, in the interface's
// language, and theirs for files (named from the locale).
class JapaneseFileIcons : public QFileIconProvider {
  public:
    QString type(const QFileInfo& info) const override;
};

}  // namespace fennix
