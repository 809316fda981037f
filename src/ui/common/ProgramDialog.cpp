#include "ui/common/ProgramDialog.h"

#include <QApplication>
#include <QCursor>
#include <QEventLoop>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QScreen>

#include "core/Prompts.h"
#include "core/Translation.h"
#include "engine/BackgroundJob.h"
#include "ui/common/DialogPlacement.h"
#include "ui/common/WindowAnimation.h"
#include "ui/controls/GradientProgressBar.h"
#include "ui/controls/clsShadow.h"

namespace fennix {

void ProgramDialog::SetEnterButton(QPushButton* button) {
    enterButton_ = button;
}

void ProgramDialog::SetEnterButton(QWidget* field, QPushButton* button) {
    fieldButtons_.insert(field, button);
}

void ProgramDialog::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (!enter || (event->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) {
        QDialog::keyPressEvent(event);
        return;
    }
    // A focused button takes Enter itself; what reaches the dialog comes
    // from a field, a list or the dialog.
    QPushButton* button = enterButton_;
    for (QWidget* w = focusWidget(); w && w != this; w = w->parentWidget()) {
        const auto named = fieldButtons_.constFind(w);
        if (named != fieldButtons_.constEnd()) {
            button = *named;
            break;
        }
    }
    if (button && button->isVisibleTo(this) && button->isEnabled()) button->click();
    event->accept();
}

void ProgramDialog::RunInBackground(BackgroundJob& job, GradientProgressBar* progress,
                                    const QList<QWidget*>& idle,
                                    const std::function<void(const JobReport&)>& work) {
    QList<QWidget*> disabled;
    for (QWidget* control : idle)
        if (control->isEnabled()) disabled.append(control);
    for (QWidget* control : disabled) control->setEnabled(false);
    progress->SetValue(0);
    progress->show();
    QApplication::setOverrideCursor(Qt::BusyCursor);

    QEventLoop wait;
    runningJob_ = &job;
    job.Start(
        [&](BackgroundJob& running) {
            work([&](int done, int total) {
                running.Post([progress, done, total] {
                    progress->SetValue(static_cast<int>(int64_t{done} * 100 / total));
                });
                return !running.CancelRequested();
            });
        },
        [&] { wait.quit(); });
    wait.exec();
    runningJob_ = nullptr;

    QApplication::restoreOverrideCursor();
    progress->hide();
    for (QWidget* control : disabled) control->setEnabled(true);
}

bool ProgramDialog::JobRunning() const {
    return runningJob_ && runningJob_->Running();
}

bool ProgramDialog::StopBackgroundJob() {
    if (!JobRunning()) return false;
    runningJob_->Cancel();
    return true;
}

std::string ProgramDialog::StopJobQuestion() const {
    return Tr("ProgramDialog", "作成中です。中止して閉じますか？");
}

bool ProgramDialog::QueryStopForClose() {
    if (!JobRunning()) return true;
    if (ShowMessage(StopJobQuestion(), MessageIcon::Question, MessageButtons::YesNoDefaultNo) !=
        MessageAnswer::Yes)
        return false;
    closingProgram_ = true;
    // The job checks its flag after every step of its loops. Its end is
    // waited for with the events going on, as the job may be waiting for
    // the window itself (the AVI compressor is chosen on it); once it has
    // ended, RunInBackground's own wait ends when this call has returned.
    runningJob_->Cancel();
    while (runningJob_->Running()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    reject();
    return true;
}

void ProgramDialog::OpenFromCursor(QSize window) {
    // Never partly off the usable area, whatever the window's size.
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(KeepInside(DialogPosition(screen->geometry().size(), window), window,
                        screen->availableGeometry()));
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
