#include "model/RecentFiles.h"

#include <QList>
#include <QString>
#include <algorithm>

#include "core/Paths.h"

namespace fennix {

std::string ShortenPath(const std::string& path, int maxLength) {
    const QString title = QString::fromStdString(PathFileName(path)).toUpper();
    const std::string folder = PathFolder(path);
    if (folder.empty()) return title.toStdString();
    const QString text = title + "  " + QString::fromStdString(folder.substr(0, folder.size() - 1));
    // Characters are counted as code points, so a character outside the
    // basic plane counts once and a cut never splits it in two.
    const qsizetype pathLength = QString::fromStdString(path).toUcs4().size();
    if (maxLength - 3 >= pathLength) return text.toStdString();
    const QList<uint> characters = text.toUcs4();
    const qsizetype kept = std::clamp<qsizetype>(maxLength - 3, 0, characters.size());
    const QString head =
        QString::fromUcs4(reinterpret_cast<const char32_t*>(characters.constData()), kept);
    return (head + "...").toStdString();
}

void AddRecentFile(const std::string& path) {
    for (int n = kRecentFileCount; n >= 2; --n)
        Settings.RecentFiles[n] = Settings.RecentFiles[n - 1];
    Settings.RecentFiles[1] = path;
}

RecentMenu RecentMenuFor(const SettingsRecord& settings) {
    RecentMenu menu;
    if (settings.RecentDisplay < 1 || settings.RecentDisplay > 5) {
        menu.valid = false;
        return menu;
    }
    const int shownLimit = (settings.RecentDisplay - 1) * 5;
    for (int n = 1; n <= kRecentFileCount; ++n) {
        if (n > shownLimit || settings.RecentFiles[n].empty()) continue;
        menu.captions[n] = std::to_string(n) + " " + ShortenPath(settings.RecentFiles[n], 64);
        menu.separator = true;
    }
    return menu;
}

}  // namespace fennix
