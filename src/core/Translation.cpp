#include "core/Translation.h"

#include <locale.h>
#include <clocale>
#include <cstdlib>
#include <mutex>
#include <unordered_set>

namespace fennix {

namespace {

struct TranslatorState {
    std::mutex mutex;
    Translator translator;
    // Every translation handed out, kept for the whole run: the pointers Tr
    // returns point into it (a set's elements never move).
    std::unordered_set<std::string> texts;
};

TranslatorState& State() {
    static TranslatorState state;
    return state;
}

bool IsJapaneseLocale(std::string_view locale) {
    // "C.UTF-8", "C.utf8", "POSIX"; an encoding or modifier after the name
    // does not change the language.
    const std::string_view name = locale.substr(0, locale.find_first_of(".@"));
    return name == "C" || name == "POSIX" || name == "ja" || name.substr(0, 3) == "ja_";
}

std::string_view Environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::string_view(value) : std::string_view();
}

}  // namespace

Language ChooseLanguage(std::string_view fennixLang, std::string_view lcAll,
                        std::string_view lcMessages, std::string_view lang) {
    if (fennixLang == "ja") return Language::Japanese;
    if (fennixLang == "en") return Language::English;
    for (const std::string_view locale : {lcAll, lcMessages, lang})
        if (!locale.empty())
            return IsJapaneseLocale(locale) ? Language::Japanese : Language::English;
    return Language::Japanese;
}

Language LanguageFromEnvironment() {
    return ChooseLanguage(Environment("FENNIX_LANG"), Environment("LC_ALL"),
                          Environment("LC_MESSAGES"), Environment("LANG"));
}

bool LocaleInstalled(const std::string& name) {
    if (name.empty()) return false;
    // newlocale asks for the locale without touching the process's own.
    const locale_t probe = ::newlocale(LC_ALL_MASK, name.c_str(), static_cast<locale_t>(0));
    if (probe == static_cast<locale_t>(0)) return false;
    ::freelocale(probe);
    return true;
}

std::string ChooseJapaneseTimeLocale(const std::function<bool(const std::string&)>& installed) {
    // glibc lists it as "ja_JP.utf8" and takes either spelling.
    for (const char* name : {"ja_JP.UTF-8", "ja_JP.utf8"})
        if (installed(name)) return name;
    return {};
}

const char* Tr(const char* context, const char* source) {
    TranslatorState& state = State();
    std::lock_guard lock(state.mutex);
    if (!state.translator) return source;
    std::string text = state.translator(context, source);
    if (text.empty() || text == source) return source;
    return state.texts.insert(std::move(text)).first->c_str();
}

std::string Format(std::string_view text, std::initializer_list<std::string_view> args) {
    std::string result;
    result.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const size_t index =
            i + 1 < text.size() ? static_cast<size_t>(text[i + 1] - '1') : args.size();
        if (text[i] == '%' && index < args.size() && index < 9) {
            result += *(args.begin() + index);
            ++i;
        } else {
            result += text[i];
        }
    }
    return result;
}

void InstallTranslator(Translator translator) {
    TranslatorState& state = State();
    std::lock_guard lock(state.mutex);
    state.translator = std::move(translator);
}

}  // namespace fennix
