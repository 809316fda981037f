#include <QApplication>
#include <cstdio>
#include <cstdlib>

#include "ui/frame/Fennix_Mdif.h"
#include "core/AppFolder.h"
#include "core/Version.h"
#include "media/ImageFile.h"
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
    const auto translators = fennix::InstallLanguage(language);
    fennix::ConfigureImageReading();

    // The desktop's font, with a Japanese Gothic face behind it for the
    // Japanese texts (half-width katakana included) where it has none.
    fennix::UseDesktopFont();

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
