// Fuzzes metafile loading: LoadImageFile on a .wmf file, which reads the
// headers and mapping records and has libwmf render the picture.

#include <cstddef>
#include <cstdint>

#include "FuzzFolder.h"
#include "platform/ImageFile.h"

using namespace fennix;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = fuzz::FuzzFolder::Write("picture.wmf", data, size);
    LoadImageFile(path);
    return 0;
}
