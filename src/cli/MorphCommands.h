#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace fennix {

// Runs one fennix-morph command line (the arguments after the program
// name): "new START END PROJECT.mph [--rows R] [--cols C] [--frames F]
// [--points FILE]" or
// "render PROJECT.mph OUTDIR [--jpeg]" or "fit PROJECT.mph [--output OUT.mph]
// [--no-faces] [--face N]" or "faces PICTURE" or "morph START END OUTPUT
// [--frames N] [--fps F] [--size WxH] [--rows R --cols C]" or "avi FRAMEDIR OUTPUT.avi [--fps N]
// [--size WxH] [--codec NAME]" or "video FRAMEDIR OUTPUT.mp4|.webm|.gif
// [--fps N] [--size WxH] [--quality Q] [--pingpong]", each with --help. `programFolder`
// is where the JPEG companion library is looked up. Help goes to `out`, a
// one-line message to `err` on failure. Returns the exit status: 0 on
// success, 1 on any failure (nothing is written then, except frames of a
// render that failed part-way; a failed avi leaves no file). With
// `terminal` set (`err` is a terminal), long commands keep a progress line
// on `err`.
int RunMorphCommand(const std::vector<std::string>& args, const std::string& programFolder,
                    std::ostream& out, std::ostream& err, bool terminal = false);

}  // namespace fennix
