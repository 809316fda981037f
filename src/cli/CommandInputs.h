#pragma once

// Reading what the commands are given: a project with its pictures (render,
// fit) and a folder of frames (avi, video).

#include <QImage>
#include <QSize>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "engine/FaceLandmarks.h"
#include "model/ProjectFile.h"

namespace fennix::cli {

// Reads the project at `path` and both its pictures; empty text, or the
// one-line reason it fails.
std::string LoadProject(const std::string& path, MorphProject& project, QImage& start, QImage& end);

// The frames of `folder` for a video: every .bmp and .jpg file in frame
// order, the folder holding frame 000; `size`, when unset, becomes the
// first frame's. An empty text, or the one-line reason it fails.
std::string ReadFrameFolder(const std::string& folder, std::vector<std::string>& frames,
                            std::optional<QSize>& size);

// Why `output` may not be written: it is one of the frames of `folder`
// (under that name, through a link or as a hard link); empty when it may.
std::string OutputOverFrame(const std::string& output, const std::string& folder,
                            const std::vector<std::string>& frames);

// The face landmark model of the program in `programFolder` (its models
// folder; the installed one when `programFolder` is empty). When it is
// missing or damaged the model is not loaded and a note on `err` says where
// it was looked for.
FaceLandmarker LoadFaceModel(const std::string& programFolder, std::ostream& err);

}  // namespace fennix::cli
