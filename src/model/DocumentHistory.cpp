#include "model/DocumentHistory.h"

namespace fennix {

DocumentSnapshot TakeSnapshot(const MorphDocument& document, int32_t backColor) {
    DocumentSnapshot snapshot;
    snapshot.matrices = document.matrices;
    for (MatrixRecord& m : snapshot.matrices) m.ImagePath.clear();
    snapshot.LastFrame = document.LastFrame;
    snapshot.Run = document.Run;
    snapshot.FacePairs = document.FacePairs;
    snapshot.DetailPairs = document.DetailPairs;
    snapshot.BackColor = backColor;
    return snapshot;
}

int32_t RestoreSnapshot(MorphDocument& document, const DocumentSnapshot& snapshot) {
    for (int k = 0; k < 2; ++k) {
        std::string path = std::move(document.matrices[k].ImagePath);
        document.matrices[k] = snapshot.matrices[k];
        document.matrices[k].ImagePath = std::move(path);
    }
    document.LastFrame = snapshot.LastFrame;
    document.Run = snapshot.Run;
    document.FacePairs = snapshot.FacePairs;
    document.DetailPairs = snapshot.DetailPairs;
    return snapshot.BackColor;
}

DocumentEditCommand::DocumentEditCommand(const QString& text, DocumentSnapshot before,
                                         DocumentSnapshot after,
                                         std::function<void(const DocumentSnapshot&)> apply)
    : QUndoCommand(text),
      before_(std::move(before)),
      after_(std::move(after)),
      apply_(std::move(apply)) {}

void DocumentEditCommand::undo() {
    done_ = false;
    apply_(before_);
}

void DocumentEditCommand::redo() {
    if (done_) return;  // pushed after the edit was made
    done_ = true;
    apply_(after_);
}

}  // namespace fennix
