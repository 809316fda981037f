#pragma once

// The one entry point of the JPEG companion library libFennix.so.

#define FENNIX_COMPANION_EXPORT __attribute__((visibility("default")))

// Reads the Windows bitmap file at `bmpPath` and writes it as a JPEG file
// (quality 90, 4:2:0 chroma subsampling) at `jpgPath`, replacing it.
// Returns 0 on success and one of the nonzero fennix::companion codes on
// failure: null arguments, a source that is missing or cannot be decoded, a
// destination that cannot be written. A destination file the call started to
// write is removed again when the call fails; the source is never touched.
extern "C" FENNIX_COMPANION_EXPORT int ConvertBMPtoJPG(const char* bmpPath, const char* jpgPath);

namespace fennix::companion {

// The file name the program loads and the name of the function it looks up.
inline constexpr char kLibraryFileName[] = "libFennix.so";
inline constexpr char kFunctionName[] = "ConvertBMPtoJPG";

// The type of ConvertBMPtoJPG, for dlsym.
using ConvertFunction = int (*)(const char* bmpPath, const char* jpgPath);

// The results of ConvertBMPtoJPG.
enum Result : int {
    kOk = 0,
    kBadArguments = 1,   // a null or empty path
    kCannotRead = 2,     // the source is missing or is not a bitmap we can decode
    kCannotEncode = 3,   // the JPEG encoder failed
    kCannotWrite = 4,    // the destination cannot be created or written completely
    kInternalError = 5,  // out of memory or another unexpected failure
};

}  // namespace fennix::companion
