// Fuzzes the settings profile: reading keys from a damaged file and writing
// one into it. The first input line names the section, the second the key,
// the third the value; the rest is the file.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzFolder.h"
#include "core/Profile.h"

using namespace fennix;

namespace {

// The next line of `text`, removed from it.
std::string TakeLine(std::string_view& text) {
    const size_t end = text.find('\n');
    const std::string line(text.substr(0, end));
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    return line;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::string section = TakeLine(input);
    const std::string key = TakeLine(input);
    const std::string value = TakeLine(input);
    const std::string path = fuzz::FuzzFolder::Write(
        "Fennix.ini", reinterpret_cast<const uint8_t*>(input.data()), input.size());

    Profile::Read(path, section, key);
    Profile::Read(path, "Fennix", "ポインタの大きさ");
    if (!Profile::Write(path, section, key, value)) return 0;
    Profile::Read(path, section, key);
    return 0;
}
