#include "ui/common/QtTranslation.h"

#include <QFile>
#include <QLibraryInfo>
#include <QLocale>

#include "core/AppFolder.h"

namespace fennix {

std::unique_ptr<QTranslator> LoadQtTranslation() {
    // The interface is Japanese whatever the desktop's language is, so the
    // Japanese file is asked for by name rather than by the locale.
    const QString folders[] = {
        QLibraryInfo::path(QLibraryInfo::TranslationsPath),
        QFile::decodeName(QByteArray::fromStdString(ExecutableFolder())) + "/translations"};
    auto translator = std::make_unique<QTranslator>();
    for (const QString& folder : folders)
        if (translator->load("qtbase_ja", folder)) return translator;
    return nullptr;
}

void UseJapaneseLocale() {
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
}

}  // namespace fennix
