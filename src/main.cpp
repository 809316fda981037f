#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <cstdlib>

#include "ui/frame/Fennix_Mdif.h"
#include "core/AppFolder.h"
#include "media/ImageFile.h"
#include "ui/common/QtPrompts.h"
#include "ui/common/QtTranslation.h"

int main(int argc, char* argv[]) {
    // Japanese, or English outside a Japanese (or unset) locale; Qt's
    // standard dialogs speak the same language as the rest of the program.
    const fennix::Language language = fennix::LanguageFromEnvironment();
    fennix::PrepareLanguage(language);
    QApplication app(argc, argv);
    QApplication::setApplicationName("Fennix");
    const auto translators = fennix::InstallLanguage(language);
    fennix::ConfigureImageReading();

    // Japanese texts, half-width katakana included, and Japanese file names
    // in either language: prefer a Japanese Gothic face over whatever the desktop's default lacks.
    if (QFontDatabase::families().contains("IPAGothic")) {
        QFont font("IPAGothic");
        font.setPointSize(10);
        QApplication::setFont(font);
    }

    auto env = [](const char* name) {
        const char* value = std::getenv(name);
        return std::string(value ? value : "");
    };
    fennix::SetApplicationFolder(fennix::ResolveApplicationFolder(
        fennix::ExecutableFolder(), env("XDG_DATA_HOME"), env("HOME")));
    fennix::InstallPrompts(std::make_unique<fennix::QtPrompts>());

    fennix::Fennix_Mdif frame;
    frame.MDIForm_Load();
    frame.show();
    return app.exec();
}
