#pragma once

#include <QUndoCommand>
#include <array>
#include <cstdint>
#include <functional>

#include "model/MatrixRecord.h"
#include "model/MorphDocument.h"

namespace fennix {

// What an undo step puts back: the two grids with their counts, colours and
// marker sizes, the frame count, the run options and the background colour. Image paths are
// not part of it: saving may move the images, and undoing an edit must not
// point the document at files that are gone.
struct DocumentSnapshot {
    std::array<MatrixRecord, 2> matrices;
    int LastFrame = 0;
    RunOptions Run;
    std::vector<FreePair> FacePairs;
    std::vector<FreePair> DetailPairs;
    int32_t BackColor = 0;
    friend bool operator==(const DocumentSnapshot&, const DocumentSnapshot&) = default;
};

// The snapshot of a document's editable state, with `backColor` the colour
// of its panel.
DocumentSnapshot TakeSnapshot(const MorphDocument& document, int32_t backColor);

// Writes a snapshot back into the document, keeping the document's image
// paths; returns the background colour to show.
int32_t RestoreSnapshot(MorphDocument& document, const DocumentSnapshot& snapshot);

// One undo step: the state before and after an edit. Undo and redo hand the
// state to `apply`, which puts it into the window. The edit is already done
// when the step is pushed, so the first redo does nothing.
class DocumentEditCommand : public QUndoCommand {
  public:
    DocumentEditCommand(const QString& text, DocumentSnapshot before, DocumentSnapshot after,
                        std::function<void(const DocumentSnapshot&)> apply);

    void undo() override;
    void redo() override;

  private:
    DocumentSnapshot before_;
    DocumentSnapshot after_;
    std::function<void(const DocumentSnapshot&)> apply_;
    bool done_ = true;
};

}  // namespace fennix
