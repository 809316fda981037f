// Fuzzes the bitmap file class's reader (the AVI writer's frame source), and
// writes back what it accepted.

#include <cstddef>
#include <cstdint>

#include "FuzzFolder.h"
#include "media/cDIB.h"

using namespace fennix;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = fuzz::FuzzFolder::Write("frame.bmp", data, size);
    cDIB dib;
    if (!dib.CreateFromFile(path)) return 0;
    dib.WriteToFile(fuzz::FuzzFolder::Path() + "/copy.bmp");
    return 0;
}
