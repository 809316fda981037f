#include "ui/common/QtTranslation.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <cstdlib>

#include "core/AppFolder.h"
#include "model/Catalogue.h"

namespace fennix {

std::unique_ptr<QTranslator> LoadQtTranslation() {
    // The Japanese file is asked for by name rather than by the locale: the
    // interface's language is chosen by the program, not by Qt.
    const QString folders[] = {
        QLibraryInfo::path(QLibraryInfo::TranslationsPath),
        QFile::decodeName(QByteArray::fromStdString(ExecutableFolder())) + "/translations"};
    auto translator = std::make_unique<QTranslator>();
    for (const QString& folder : folders)
        if (translator->load("qtbase_ja", folder)) return translator;
    return nullptr;
}

void UseJapaneseLocale() {
    // Only a locale that is installed: where there is none, the dates stay
    // as the user's locale writes them and the rest of it stays in force.
    const std::string time = ChooseJapaneseTimeLocale(LocaleInstalled);
    if (!time.empty()) ::setenv("LC_TIME", time.c_str(), 1);
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
}

void PrepareLanguage(Language language) {
    if (language == Language::Japanese)
        UseJapaneseLocale();
    else
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
}

std::vector<std::unique_ptr<QTranslator>> InstallLanguage(Language language) {
    std::vector<std::unique_ptr<QTranslator>> installed;
    if (language == Language::Japanese) {
        InstallCatalogue(language, ExecutableFolder());
        if (auto qt = LoadQtTranslation()) {
            QApplication::installTranslator(qt.get());
            installed.push_back(std::move(qt));
        }
    } else if (auto catalogue = InstallCatalogue(language, ExecutableFolder())) {
        installed.push_back(std::move(catalogue));
    }
    return installed;
}

QString JapaneseFileIcons::type(const QFileInfo& info) const {
    if (info.isDir()) return QString::fromUtf8(Tr("QtTranslation", "フォルダー"));
    return QFileIconProvider::type(info);
}

}  // namespace fennix
