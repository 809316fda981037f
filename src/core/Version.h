#pragma once

#include <string>

namespace fennix {

// The program's version ("0.1"), the one the build was configured with.
const char* ProgramVersion();

// The licence the program is distributed under, as an SPDX name.
inline constexpr const char* kProgramLicence = "GPL-3.0-or-later";

// The line `--version` prints for the program named `program`:
// "fennix 0.1".
std::string VersionLine(const std::string& program);

// True when the arguments (argv[1] … argv[argc - 1]) ask for the version:
// one of them is "--version", before any "--" that ends the options.
bool AsksForVersion(int argc, const char* const* argv);

}  // namespace fennix
