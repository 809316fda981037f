#pragma once

#include <string>
#include <vector>

namespace fennix {

// True for a name ending in ".mph", in any case: a project file.
bool IsProjectFileName(const std::string& path);

// True for a name ending in one of the picture types the picture dialog
// offers (.bmp .dib .jpg .jpeg .gif .wmf .png .tif .tiff .webp), in any case.
bool IsPictureFileName(const std::string& path);

// What the program does with the files it is given: on its command line
// (`fennix FILE…`, the desktop's "open with") or dropped on the frame.
struct LaunchPlan {
    // The projects to open, each in a document window of its own, in the
    // order given.
    std::vector<std::string> Projects;
    // The start and end pictures of a new morph (both or neither): given
    // exactly two pictures, the picture dialog opens with them picked.
    std::string StartPicture;
    std::string EndPicture;
    // What was refused, one file or one reason a line; empty when nothing
    // was. Shown once, after the rest has opened.
    std::string Refused;
};

// The plan for `files`, relative names taken from `workingFolder`. A project
// or picture that is no regular file (missing, a folder) is refused, and so
// is a file of any other type, a word starting with "-" before a "--" (an
// option the program does not know) and pictures when there are not
// exactly two of them.
LaunchPlan PlanLaunch(const std::vector<std::string>& files, const std::string& workingFolder);

// Why `files` dropped on one side of the picture dialog cannot be picked
// there, or empty text when they can: exactly one file, a picture type, a
// regular file.
std::string PictureDropRefusal(const std::vector<std::string>& files);

}  // namespace fennix
