#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/MorphRun.h"
#include "model/ProjectFile.h"
#include "model/RunOptions.h"

namespace fennix {

// One project of a chain: its file and what was read from it.
struct ChainProject {
    std::string path;
    MorphProject project;
    // Its pictures when they were read already (checking the project, say),
    // so that its run does not read them again; null ones are read when the
    // project's turn comes.
    QImage start, end;
};

// How a chain went: `failure` is empty when every project was run,
// kMorphCancelled after a cancel, otherwise a short reason; `project` is
// the index of the project it stopped at (-1 when none), `image` the
// picture that could not be read when that was the reason. `written`
// counts the frame files written.
struct ChainOutcome {
    std::string failure;
    int project = -1;
    std::string image;
    int64_t written = 0;
};

// Reads the project files at `paths` into `projects`: an empty text, or
// the message for the first that cannot be read (LoadMorphFile's, or one
// saying that a project has fewer than 2 frames); none is read then.
std::string ReadChainProjects(const std::vector<std::string>& paths, std::vector<ChainProject>& projects);

// The most frame files a chain of `projects` writes (its joints, found
// only as it runs, write one fewer each).
int64_t ChainFrameBound(const std::vector<ChainProject>& projects, const RunOverrides& overrides);

// The most bytes the frame files of a chain of `projects` take, as
// frames of `saveKind` (see FrameFileBytes): each project's files at the
// size of its start picture.
uint64_t ChainFrameBytes(const std::vector<ChainProject>& projects, const RunOverrides& overrides,
                         int saveKind);

// Called when project `index` of `count` starts, before its frames.
using ChainStart = std::function<void(int index, int count)>;

// True when the last frame of a run ending on `previousEnd` (made at the
// size `previousSize`) is the first frame of a run starting on `start`:
// the same file, or the same pixels, at the same size.
bool IsJoint(const std::string& previousEndPath, const QImage& previousEnd, QSize previousSize,
             const std::string& startPath, const QImage& start);

// Runs the projects one after the other into one folder: each as RunMorph
// does, with its own pictures, grids, background colour and run options
// (`overrides` replacing what they set), the files numbered on from
// output.firstNumber across the joints. Where a project's start picture is
// the end picture of the one before (IsJoint), their shared frame is
// written once. Pictures are read when their project's turn comes; only
// the previous project's end picture is kept for the comparison. The
// frames written stay whatever happens.
ChainOutcome RunMorphChain(const std::vector<ChainProject>& projects, const RunOverrides& overrides,
                           FrameOutput output, const MorphProgress& progress = {},
                           const ChainStart& started = {});

}  // namespace fennix
