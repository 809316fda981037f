#include "ui/common/QtTranslation.h"

#include <QFile>
#include <QFileInfo>
#include <cstdlib>
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
    ::setenv("LC_TIME", "ja_JP.UTF-8", 1);
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
}

QString JapaneseFileIcons::type(const QFileInfo& info) const {
    if (info.isDir()) return QString::fromUtf8("フォルダー");
    return QFileIconProvider::type(info);
}

}  // namespace fennix
