#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace fennix {

// True when the bytes are well-formed UTF-8 (no overlong forms, no
// surrogates, nothing above U+10FFFF).
bool IsValidUtf8(std::string_view bytes);

// Bytes in cp932 (Shift_JIS as Windows writes it) converted to UTF-8. Bytes
// that cp932 cannot decode become U+FFFD.
std::string Cp932ToUtf8(std::string_view bytes);

// The bytes as UTF-8 text: unchanged when they are valid UTF-8 (a leading
// byte-order mark removed), otherwise decoded as cp932, so that text files
// written by the Windows program read correctly.
std::string DecodeText(std::string_view bytes);

// The whole file, decoded with DecodeText. Nothing when it is not a regular
// file, cannot be read, or is longer than `maxBytes`.
std::optional<std::string> ReadTextFile(const std::string& path,
                                        size_t maxBytes = size_t{64} << 20);

}  // namespace fennix
