#pragma once

#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>

namespace fennix {

// The languages of the interface. The Japanese texts are the program's own
// and stand in the sources; English comes from the catalogue
// translations/fennix_en.ts, compiled beside the program.
enum class Language { Japanese, English };

// The language for these environment values: FENNIX_LANG ("ja" or "en")
// when it is one of them, else the locale named by the first of LC_ALL,
// LC_MESSAGES and LANG that is set. Japanese for ja_*, C, C.UTF-8, POSIX
// and when none is set (so the program is unchanged where no language is
// chosen); English for every other language.
Language ChooseLanguage(std::string_view fennixLang, std::string_view lcAll,
                        std::string_view lcMessages, std::string_view lang);
// The same for this process's environment.
Language LanguageFromEnvironment();

// True when the C library can make the locale `name` ("ja_JP.UTF-8"), i.e.
// it is installed; false for an empty name and for one it does not have.
bool LocaleInstalled(const std::string& name);

// The value to give LC_TIME so that dates come out Japanese: the first name
// of the Japanese UTF-8 locale that `installed` accepts, or an empty string
// when none is (LC_TIME is then left alone: one locale variable naming a
// missing locale makes the C library refuse the whole environment, and the
// program would run in the C locale, ASCII only).
std::string ChooseJapaneseTimeLocale(const std::function<bool(const std::string&)>& installed);

// A text shown to the user, in the chosen language: `source` is the Japanese
// text, `context` the catalogue's group it sits in (the class or file that
// shows it). Without an installed translator, or for a text the translator
// does not know, `source` itself. The result stays valid for the whole run,
// so it goes wherever the literal went. Safe from any thread.
//
// Every call names both as string literals, so that the catalogue update
// (lupdate, which reads `Tr` as Qt's `translate`) finds the text. A text kept
// in a constant is marked with TrMark where it is written and passed through
// Tr where it is shown.
const char* Tr(const char* context, const char* source);

// Marks a text for the catalogue where it cannot be translated yet (a
// constant, a table); gives back `source` unchanged.
constexpr const char* TrMark(const char* /*context*/, const char* source) {
    return source;
}

// `text` with %1 … %9 replaced by the arguments, in one pass: an argument
// holding "%2" stays as it is. Keeps a translated sentence whole where the
// order of its parts differs between the languages.
std::string Format(std::string_view text, std::initializer_list<std::string_view> args);

// Looks a text up: the translation, or an empty string when there is none.
using Translator = std::function<std::string(const char* context, const char* source)>;
// Installs the translator every later Tr asks (none: the Japanese texts).
void InstallTranslator(Translator translator);

}  // namespace fennix
