// Fuzzes metafile loading: LoadImageFile on a .wmf file, which reads the
// headers and mapping records and has libwmf render the picture.

#include <QImageReader>
#include <cstddef>
#include <cstdint>

#include "FuzzFolder.h"
#include "media/ImageFile.h"

using namespace fennix;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // Pictures are rendered only up to the image allocation limit. A small
    // limit (4 megapixels) keeps every input fast under the sanitizers while
    // the same refusal path is taken for larger ones. LoadImageFile sets the
    // program's own limit on its first call, so that call is made first.
    LoadImageFile(fuzz::FuzzFolder::Write("first.wmf", nullptr, 0));
    QImageReader::setAllocationLimit(16);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = fuzz::FuzzFolder::Write("picture.wmf", data, size);
    LoadImageFile(path);
    return 0;
}
