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
// looked for beside the test program; `terminal` as when the messages go
// to a terminal.
inline CliResult RunCli(const std::vector<std::string>& args, bool terminal = false) {
    std::ostringstream out, err;
    const int status = RunMorphCommand(
        args, QCoreApplication::applicationDirPath().toStdString(), out, err, terminal);
    return {status, out.str(), err.str()};
}

}  // namespace fennix::test
