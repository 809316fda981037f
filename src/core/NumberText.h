#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace fennix {

// Decimal text of a number as the settings file stores it: one leading blank
// for zero and positive values (" 20"), a "-" for negative ones ("-5").
std::string NumberText(long long value);

// Parses a decimal number the way the settings file is read: blanks around it
// are ignored; digits with an optional sign, fraction and exponent are
// accepted. Returns nothing for empty text, other characters, hexadecimal,
// infinities and NaN.
std::optional<double> ParseNumber(std::string_view text);

// Reads a signed 32-bit settings value: the number rounded to the nearest
// integer, ties to even (7.5 -> 8, 6.5 -> 6). Empty text, text that is not a
// number and values out of the 32-bit range give `fallback`.
int32_t ConvertInt32(std::string_view text, int32_t fallback);

// Reads a signed 16-bit settings value: the number rounded down (2.9 -> 2,
// -0.5 -> -1). Empty text, text that is not a number and values out of the
// 16-bit range give `fallback`.
int16_t ConvertInt16(std::string_view text, int16_t fallback);

// Blanks (space, tab, CR, LF) removed from both ends.
std::string_view TrimBlanks(std::string_view text);

}  // namespace fennix
