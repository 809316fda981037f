#include "model/Catalogue.h"

#include <QCoreApplication>
#include <QFile>

#include <iostream>

namespace fennix {

std::unique_ptr<QTranslator> InstallCatalogue(Language language, const std::string& programFolder) {
    if (language == Language::Japanese) {
        InstallTranslator(nullptr);
        return nullptr;
    }
    const QString folder =
        QFile::decodeName(QByteArray::fromStdString(programFolder)) + "/translations";
    auto catalogue = std::make_unique<QTranslator>();
    if (!catalogue->load("fennix_en", folder)) {
        std::cerr << "fennix: the English catalogue fennix_en.qm is missing from "
                  << folder.toStdString() << "\n";
        return nullptr;
    }
    QCoreApplication::installTranslator(catalogue.get());
    InstallTranslator([](const char* context, const char* source) {
        return QCoreApplication::translate(context, source).toStdString();
    });
    return catalogue;
}

}  // namespace fennix
