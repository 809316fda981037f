#include "support/CommaLocale.h"

#include <clocale>
#include <cstdlib>
#include <filesystem>

namespace fennix::test {

namespace {

// Every category copied from POSIX but the numbers: "," before the
// fraction, "." between thousands.
constexpr const char* kDefinition =
    "LC_CTYPE\ncopy \"POSIX\"\nEND LC_CTYPE\n"
    "LC_COLLATE\ncopy \"POSIX\"\nEND LC_COLLATE\n"
    "LC_MONETARY\ncopy \"POSIX\"\nEND LC_MONETARY\n"
    "LC_NUMERIC\ndecimal_point \"<U002C>\"\nthousands_sep \"<U002E>\"\ngrouping 3;3\n"
    "END LC_NUMERIC\n"
    "LC_TIME\ncopy \"POSIX\"\nEND LC_TIME\n"
    "LC_MESSAGES\ncopy \"POSIX\"\nEND LC_MESSAGES\n";

}  // namespace

CommaLocale::CommaLocale() : path_(folder_.File("locales")) {
    std::filesystem::create_directory(path_);
    const std::string source = folder_.File("comma.def");
    WriteFile(source, kDefinition);
    // localedef warns of the categories left out and then exits 1; what
    // counts is whether the locale was written.
    const std::string command = "localedef -c -i '" + source + "' -f UTF-8 '" + path_ + "/" +
                                Name() + "' >/dev/null 2>&1";
    (void)std::system(command.c_str());
    made_ = std::filesystem::exists(path_ + "/" + Name() + "/LC_NUMERIC");
}

CommaLocaleScope::CommaLocaleScope(const CommaLocale& locale)
    : previous_(std::setlocale(LC_ALL, nullptr)) {
    if (!locale.Made()) return;
    ::setenv("LOCPATH", locale.Path().c_str(), 1);
    active_ = std::setlocale(LC_ALL, CommaLocale::Name()) != nullptr &&
              *std::localeconv()->decimal_point == ',';
}

CommaLocaleScope::~CommaLocaleScope() {
    std::setlocale(LC_ALL, previous_.c_str());
    ::unsetenv("LOCPATH");
}

}  // namespace fennix::test
