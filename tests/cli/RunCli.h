#pragma once

#include <QCoreApplication>
#include <sstream>
#include <string>
#include <vector>

#include "cli/MorphCommands.h"

namespace fennix::test {

// What one run of the command printed and returned.
struct CliResult {
    int status;
    std::string out, err;
};

// Runs fennix-morph with `args` (the command first), the companion library
// looked for beside the test program.
inline CliResult RunCli(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    const int status =
        RunMorphCommand(args, QCoreApplication::applicationDirPath().toStdString(), out, err);
    return {status, out.str(), err.str()};
}

}  // namespace fennix::test
