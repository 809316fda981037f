#pragma once

// The commands of fennix-morph, one file each. A command is declared once,
// in its own file: its arguments, its options (with their help) and the
// function that runs it; RunMorphCommand finds it in Commands().
//
// An option is one more entry in its command's `options` (name, value name
// or "" for a flag, help): the parser, the usage line and the help take it
// from there. The command reads it with Has, Value or Values in its
// Read...Options function, which returns the text of a bad value (a usage
// error, status 2).
//
// A command is a file XCommand.cpp beside the others defining XCommand()
// as they do, a line here and in Commands(), and the file in CMakeLists.txt.
// A command that writes a file declares ForceOption() and checks its output
// with CheckOutput before it writes anything.

#include <vector>

#include "cli/CommandLine.h"

namespace fennix::cli {

const Command& NewCommand();     // NewCommand.cpp
const Command& RenderCommand();  // RenderCommand.cpp
const Command& FitCommand();     // FitCommand.cpp
const Command& FacesCommand();   // FacesCommand.cpp
const Command& MorphCommand();   // MorphCommand.cpp
const Command& AviCommand();     // AviCommand.cpp
const Command& VideoCommand();   // VideoCommand.cpp

// Every command, in the order the program's help lists them.
inline std::vector<const Command*> Commands() {
    return {&NewCommand(),   &RenderCommand(), &FitCommand(),  &FacesCommand(),
            &MorphCommand(), &AviCommand(),    &VideoCommand()};
}

}  // namespace fennix::cli
