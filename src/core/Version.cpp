#include "core/Version.h"

#include <string_view>

#ifndef FENNIX_VERSION
#error "FENNIX_VERSION is set by the build"
#endif

namespace fennix {

const char* ProgramVersion() {
    return FENNIX_VERSION;
}

std::string VersionLine(const std::string& program) {
    return program + " " + ProgramVersion();
}

bool AsksForVersion(int argc, const char* const* argv) {
    for (int i = 1; i < argc && argv[i]; ++i) {
        const std::string_view argument(argv[i]);
        if (argument == "--") return false;
        if (argument == "--version") return true;
    }
    return false;
}

}  // namespace fennix
