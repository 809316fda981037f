#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace fennix {

// The bytes one frame file of a width × height picture takes: a bitmap's
// exactly; a JPEG's as a generous estimate (a tenth of the bitmap), since
// its size is known only once it is written.
uint64_t FrameFileBytes(int width, int height, int saveKind);

// What a run would write and what room there is for it.
struct RunSpace {
    uint64_t needed = 0;
    uint64_t free = 0;
};

// The shortage when `needed` bytes of frames would not fit on the file
// system that holds `folder`; nothing when they fit, or when the room
// cannot be told (the run then finds out as it writes).
std::optional<RunSpace> RunSpaceShortage(const std::string& folder, uint64_t needed);

// A size for a message: "18.3 GB" from a gigabyte on (tenths rounded
// down), otherwise whole megabytes ("512 MB"); the same in every locale.
std::string SizeText(uint64_t bytes);

// The question the window asks before a run whose frames would not fit
// ("…続けますか？"), translated.
std::string RunSpaceQuestion(const RunSpace& space);

}  // namespace fennix
