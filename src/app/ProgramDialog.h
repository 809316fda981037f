#pragma once

#include <QDialog>
#include <QPoint>
#include <QSize>

namespace fennix {

// The program's modal dialogs open and close alike: centred on the screen
// with a third of the free height above, given their drop shadow, zoomed out
// of the mouse cursor on opening and back into the same point on closing.
class ProgramDialog : public QDialog {
    Q_OBJECT
  public:
    using QDialog::QDialog;

  protected:
    // The last opening steps: places a dialog of outer size `window`, gives
    // it its shadow, remembers the cursor and plays the opening animation.
    void OpenFromCursor(QSize window);
    // The closing animation into the point remembered at opening; only the
    // first call plays it, however often the dialog is closed.
    void ZoomBackToCursor();

  private:
    QPoint cursorAtOpening_;
    bool zoomedBack_ = false;
};

}  // namespace fennix
