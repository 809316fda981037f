// Fuzzes picture loading for raster files. The first input byte picks the
// file name's suffix (which decides the reader tried first); the rest is the
// file. Metafiles have their own target, fuzz_wmf.

#include <QCoreApplication>
#include <cstddef>
#include <cstdint>
#include <iterator>

#include "FuzzFolder.h"
#include "media/ImageFile.h"

using namespace fennix;

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    // Image plug-ins (JPEG, GIF, ...) are found through the application.
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const char* const kSuffixes[] = {"bmp", "jpg", "gif", "dib", "png", "BMP"};
    if (size < 1) return 0;
    const char* suffix = kSuffixes[data[0] % std::size(kSuffixes)];
    const std::string path =
        fuzz::FuzzFolder::Write(std::string("picture.") + suffix, data + 1, size - 1);
    LoadImageFile(path);
    return 0;
}
