#include <QCoreApplication>
#include <unistd.h>

#include <iostream>

#include "cli/MorphCommands.h"
#include "core/AppFolder.h"
#include "media/ImageFile.h"

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    fennix::ConfigureImageReading();
    const std::vector<std::string> args(argv + 1, argv + argc);
    return fennix::RunMorphCommand(args, fennix::ExecutableFolder(), std::cout, std::cerr,
                                   isatty(STDERR_FILENO) == 1);
}
