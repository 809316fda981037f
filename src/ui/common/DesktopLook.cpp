#include "ui/common/DesktopLook.h"

#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QFontInfo>

namespace fennix {

QStringList InterfaceFontFamilies(const QString& desktopFamily, bool desktopHasJapanese,
                                  bool fallbackInstalled) {
    QStringList families{desktopFamily};
    if (!desktopHasJapanese && fallbackInstalled &&
        desktopFamily.compare(QString::fromUtf8(kJapaneseFallbackFamily), Qt::CaseInsensitive) != 0)
        families << QString::fromUtf8(kJapaneseFallbackFamily);
    return families;
}

void UseDesktopFont() {
    QFont font = QApplication::font();
    // The family the desktop's font request really gave.
    const QString family = QFontInfo(font).family();
    const bool japanese = QFontDatabase::writingSystems(family).contains(QFontDatabase::Japanese);
    const bool fallback =
        QFontDatabase::families().contains(QString::fromUtf8(kJapaneseFallbackFamily));
    font.setFamilies(InterfaceFontFamilies(family, japanese, fallback));
    QApplication::setFont(font);
}

}  // namespace fennix
