#pragma once

// What the parts of the program that use libav (the AVI player, the AVI and
// video writers) share of its messages.

#include <string>

extern "C" {
#include <libavutil/error.h>
#include <libavutil/log.h>
}

namespace fennix {

// The libraries' progress notes and statistics are not for the user: only
// their errors reach the terminal.
inline void QuietLibav() { av_log_set_level(AV_LOG_ERROR); }

// libav's text for one of its error codes ("No space left on device").
inline std::string LibavErrorText(int error) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(error, text, sizeof text);
    return text;
}

}  // namespace fennix
