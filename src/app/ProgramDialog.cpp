#include "app/ProgramDialog.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>

#include "app/WindowAnimation.h"
#include "controls/clsShadow.h"
#include "platform/DialogPlacement.h"

namespace fennix {

void ProgramDialog::OpenFromCursor(QSize window) {
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(DialogPosition(screen->geometry().size(), window));
    clsShadow::Attach(this);
    cursorAtOpening_ = QCursor::pos();
    ZoomFromCursor(this, cursorAtOpening_);
}

void ProgramDialog::ZoomBackToCursor() {
    if (zoomedBack_) return;
    zoomedBack_ = true;
    ZoomToCursor(this, cursorAtOpening_);
}

}  // namespace fennix
