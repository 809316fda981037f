#include "core/NumberText.h"

#include <locale.h>

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "core/Rounding.h"

namespace fennix {

std::string NumberText(long long value) {
    return value < 0 ? std::to_string(value) : " " + std::to_string(value);
}

std::string_view TrimBlanks(std::string_view text) {
    const char* blanks = " \t\r\n";
    const auto first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(blanks);
    return text.substr(first, last - first + 1);
}

std::optional<double> ParseNumber(std::string_view text) {
    text = TrimBlanks(text);
    if (text.empty()) return std::nullopt;

    // Check the shape first: strtod alone would also take "0x1A", "inf" and
    // "nan", which are not numbers in a settings file.
    size_t pos = 0;
    if (text[pos] == '+' || text[pos] == '-') ++pos;
    size_t digits = 0;
    while (pos < text.size() && std::isdigit(static_cast<unsigned char>(text[pos]))) ++pos, ++digits;
    if (pos < text.size() && text[pos] == '.') {
        ++pos;
        while (pos < text.size() && std::isdigit(static_cast<unsigned char>(text[pos])))
            ++pos, ++digits;
    }
    if (digits == 0) return std::nullopt;
    if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
        ++pos;
        if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) ++pos;
        size_t exponentDigits = 0;
        while (pos < text.size() && std::isdigit(static_cast<unsigned char>(text[pos])))
            ++pos, ++exponentDigits;
        if (exponentDigits == 0) return std::nullopt;
    }
    if (pos != text.size()) return std::nullopt;

    // Always with a "." for the decimal point, whatever locale the program
    // runs in (Qt sets the user's at start-up, and de_DE or tr_TR would read
    // "12.6" as 12): a file reads the same everywhere.
    static const locale_t c = newlocale(LC_ALL_MASK, "C", locale_t{});
    const std::string copy(text);
    const double value = ::strtod_l(copy.c_str(), nullptr, c);
    if (!std::isfinite(value)) return std::nullopt;
    return value;
}

int32_t ConvertInt32(std::string_view text, int32_t fallback) {
    const auto number = ParseNumber(text);
    if (!number) return fallback;
    const double rounded = RoundEven(*number);
    if (rounded < std::numeric_limits<int32_t>::min() ||
        rounded > std::numeric_limits<int32_t>::max())
        return fallback;
    return static_cast<int32_t>(rounded);
}

int16_t ConvertInt16(std::string_view text, int16_t fallback) {
    const auto number = ParseNumber(text);
    if (!number) return fallback;
    const double floored = std::floor(*number);
    if (floored < std::numeric_limits<int16_t>::min() ||
        floored > std::numeric_limits<int16_t>::max())
        return fallback;
    return static_cast<int16_t>(floored);
}

}  // namespace fennix
