#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace fennix {

// Runs one fennix-morph command line (the arguments after the program
// name): "[--quiet] COMMAND ARGUMENTS [OPTIONS]" with the commands new,
// render, fit, faces, morph, avi and video (see Commands.h), or "--help",
// "--version"; each command also takes --help. `programFolder` is where the
// JPEG companion library and the face landmark model are looked up. Help goes to `out`, a one-line message to
// `err` on failure. Returns the exit status: 0 on success, 1 on a failure
// (nothing is written then, except frames of a render that failed part-way;
// a failed avi leaves no file), 2 on a usage error (an unknown command or
// option, a missing or extra argument, a bad option value). With `terminal`
// set (`err` is a terminal), long commands keep a progress line on `err`
// unless --quiet is given.
int RunMorphCommand(const std::vector<std::string>& args, const std::string& programFolder,
                    std::ostream& out, std::ostream& err, bool terminal = false);

}  // namespace fennix
