#include "app/RecentFiles.h"

#include <QString>

#include "core/Paths.h"

namespace fennix {

std::string ShortenPath(const std::string& path, int maxLength) {
    const QString title = QString::fromStdString(PathFileName(path)).toUpper();
    const std::string folder = PathFolder(path);
    if (folder.empty()) return title.toStdString();
    const QString text = title + "  " + QString::fromStdString(folder.substr(0, folder.size() - 1));
    if (maxLength - 3 < QString::fromStdString(path).size())
        return (text.left(maxLength - 3) + "...").toStdString();
    return text.toStdString();
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
