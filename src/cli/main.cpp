#include <QCoreApplication>
#include <unistd.h>

#include <iostream>

#include "cli/MorphCommands.h"
#include "core/AppFolder.h"
#include "media/ImageFile.h"
#include "model/Catalogue.h"

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    // The program's messages in the language the environment chooses; the
    // command line's own texts are English.
    const auto catalogue =
        fennix::InstallCatalogue(fennix::LanguageFromEnvironment(), fennix::ExecutableFolder());
    fennix::ConfigureImageReading();
    const std::vector<std::string> args(argv + 1, argv + argc);
    return fennix::RunMorphCommand(args, fennix::ExecutableFolder(), std::cout, std::cerr,
                                   isatty(STDERR_FILENO) == 1);
}
