#pragma once

#include <string>

#include "support/TestFolder.h"

namespace fennix::test {

// A locale that writes numbers with a decimal comma, as de_DE and tr_TR do,
// compiled by localedef into a test folder of its own, so that no test
// depends on which locales the machine has installed. Point LOCPATH at
// Path() and choose Name() to use it.
class CommaLocale {
public:
    CommaLocale();
    // False when localedef could not make it.
    bool Made() const { return made_; }
    const std::string& Path() const { return path_; }
    static const char* Name() { return "xx_COMMA.UTF-8"; }

private:
    TestFolder folder_;
    std::string path_;
    bool made_ = false;
};

// Switches the whole process to CommaLocale (setlocale(LC_ALL)) for its
// lifetime and back to the locale before it afterwards. Active() is false when the locale
// could not be chosen.
class CommaLocaleScope {
public:
    explicit CommaLocaleScope(const CommaLocale& locale);
    ~CommaLocaleScope();
    CommaLocaleScope(const CommaLocaleScope&) = delete;
    CommaLocaleScope& operator=(const CommaLocaleScope&) = delete;
    bool Active() const { return active_; }

private:
    std::string previous_;
    bool active_ = false;
};

}  // namespace fennix::test
