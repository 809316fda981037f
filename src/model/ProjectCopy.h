#pragma once

#include <cstdint>
#include <string>

#include "model/MatrixRecord.h"
#include "model/ProjectFile.h"

namespace fennix {

// Writes a copy of a project at `projectPath` with copies of its two
// pictures beside it, so that the folder can be taken to another machine
// as a whole: the copy names the pictures beside it, and the project reader
// takes a picture beside the project by its name wherever the folder goes.
//
// A picture keeps its file name; a file of that name already beside the
// project with the same bytes is used as it is, one with other bytes is
// never replaced: the copy takes the next free name ("face (2).bmp"). One
// picture used for both grids is copied once. Returns empty text on
// success, otherwise the message to show: "<picture>をコピーできませんでした。"
// or that of the project file's save. Pictures copied before a failure stay
// (they are whole files).
std::string SaveProjectWithPictures(const std::string& projectPath, MatrixRecord m1,
                                    MatrixRecord m2, const std::string& frameFolder,
                                    int32_t lastFrame, int32_t backgroundColor,
                                    const ProjectAdditions& additions = {});

}  // namespace fennix
