#include "media/MediaLibraries.h"

#include <QtGlobal>

extern "C" {
#include <libavutil/avutil.h>
}
#include <cstdio>
// jconfig.h of libjpeg-turbo needs FILE declared before it on some builds.
#include <jconfig.h>

#ifndef FENNIX_LIBWMF_VERSION
#define FENNIX_LIBWMF_VERSION "?"
#endif

#define FENNIX_TEXT(x) #x
#define FENNIX_MACRO_TEXT(x) FENNIX_TEXT(x)

namespace fennix {

std::vector<LibraryVersion> MediaLibraryVersions() {
    const char* ffmpeg = av_version_info();
    return {
        {"Qt", qVersion()},
        {"FFmpeg", ffmpeg && *ffmpeg ? ffmpeg : "?"},
#ifdef LIBJPEG_TURBO_VERSION
        {"libjpeg-turbo", FENNIX_MACRO_TEXT(LIBJPEG_TURBO_VERSION)},
#else
        {"libjpeg-turbo", "?"},
#endif
        {"libwmf", FENNIX_LIBWMF_VERSION},
    };
}

}  // namespace fennix
