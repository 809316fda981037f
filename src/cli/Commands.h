#pragma once

// The commands of fennix-morph, one file each. A command is declared once,
// in its own file: its arguments, its options (with their help) and the
// function that runs it; RunMorphCommand finds it in Commands().

#include <vector>

#include "cli/CommandLine.h"

namespace fennix::cli {

const Command& NewCommand();     // NewCommand.cpp
const Command& RenderCommand();  // RenderCommand.cpp
const Command& FitCommand();     // FitCommand.cpp
const Command& AviCommand();     // AviCommand.cpp
const Command& VideoCommand();   // VideoCommand.cpp

// Every command, in the order the program's help lists them.
inline std::vector<const Command*> Commands() {
    return {&NewCommand(), &RenderCommand(), &FitCommand(), &AviCommand(), &VideoCommand()};
}

}  // namespace fennix::cli
