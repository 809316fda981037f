#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTimer>
#include <cstdio>
#include <string>
#include <vector>

#include "ui/frame/Fennix_Mdif.h"
#include "core/AppFolder.h"
#include "core/Version.h"
#include "media/ImageFile.h"
#include "model/ProgramFiles.h"
#include "ui/common/DesktopLook.h"
#include "ui/common/QtPrompts.h"
#include "ui/common/QtTranslation.h"

int main(int argc, char* argv[]) {
    if (fennix::AsksForVersion(argc, argv)) {
        std::printf("%s\n", fennix::VersionLine("fennix").c_str());
        return 0;
    }
    // Japanese, or English outside a Japanese (or unset) locale; Qt's
    // standard dialogs speak the same language as the rest of the program.
    const fennix::Language language = fennix::LanguageFromEnvironment();
    fennix::PrepareLanguage(language);
    QApplication app(argc, argv);
    QApplication::setApplicationName("Fennix");
    // The window's class (WM_CLASS "Fennix", StartupWMClass in the desktop
    // entry) and, on Wayland, its app id name the desktop entry, so docks
    // and task bars put the window under its launcher.
    QGuiApplication::setDesktopFileName("io.github.fennix.Fennix");
    const auto translators = fennix::InstallLanguage(language);
    fennix::ConfigureImageReading();

    // The desktop's font, with a Japanese Gothic face behind it for the
    // Japanese texts (half-width katakana included) where it has none.
    fennix::UseDesktopFont();

    // Built or unpacked: everything beside the program. Installed: the
    // desktop's settings, cache and pictures folders; settings an earlier
    // version kept in the data folder come along once.
    const fennix::ProgramFolders folders = fennix::ResolveProgramFolders(
        fennix::ExecutableFolder(), fennix::DesktopFoldersFromEnvironment());
    fennix::SetProgramFolders(folders);
    fennix::AdoptEarlierSettings(folders.EarlierSettings);
    fennix::InstallPrompts(std::make_unique<fennix::QtPrompts>());

    // `fennix FILE…`: the projects and pictures given. A second `fennix
    // p.mph` while one runs starts a second program of its own.
    std::vector<std::string> files;
    const QStringList arguments = QApplication::arguments();
    for (qsizetype i = 1; i < arguments.size(); ++i)
        files.push_back(QFile::encodeName(arguments[i]).toStdString());

    fennix::Fennix_Mdif frame;
    frame.MDIForm_Load();
    frame.show();
    if (!files.empty()) {
        QTimer::singleShot(0, &frame, [&frame, files] {
            frame.OpenFiles(files, QFile::encodeName(QDir::currentPath()).toStdString());
        });
    }
    return app.exec();
}
