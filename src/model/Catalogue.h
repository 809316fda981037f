#pragma once

#include <QTranslator>
#include <memory>
#include <string>

#include "core/Translation.h"

namespace fennix {

// Puts the program's texts into `language` for the running application:
// for English, loads the catalogue fennix_en.qm from the "translations"
// folder beside the program (the build's bin/ and the installed program's
// folder alike), installs it on the application and makes Tr ask it. Japanese
// needs nothing: the texts are Japanese. Returns the loaded catalogue, which
// the caller keeps as long as the application runs; null for Japanese, and
// for English when the catalogue is missing (a warning on standard error).
std::unique_ptr<QTranslator> InstallCatalogue(Language language, const std::string& programFolder);

}  // namespace fennix
