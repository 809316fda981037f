// Fuzzes the JPEG companion's bitmap input: ConvertBMPtoJPG on a damaged
// bitmap file, writing the JPEG into the fuzzer's own folder.

#include <cstddef>
#include <cstdint>

#include "ConvertBMPtoJPG.h"
#include "FuzzFolder.h"

using namespace fennix;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bmp = fuzz::FuzzFolder::Write("frame.bmp", data, size);
    const std::string jpg = fuzz::FuzzFolder::Path() + "/frame.jpg";
    ConvertBMPtoJPG(bmp.c_str(), jpg.c_str());
    return 0;
}
