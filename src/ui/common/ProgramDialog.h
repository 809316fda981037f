#pragma once

#include <QDialog>
#include <QList>
#include <functional>
#include <QHash>
#include <QPoint>
#include <QPointer>
#include <QSize>
#include <string>

class QPushButton;

namespace fennix {
class BackgroundJob;
class GradientProgressBar;
}  // namespace fennix

namespace fennix {

// The program's modal dialogs open and close alike: centred on the screen
// with a third of the free height above, given their drop shadow, zoomed out
// of the mouse cursor on opening and back into the same point on closing.
//
// Enter presses only a button the user can see and use: the focused button,
// else the button named for the focused field, else the dialog's Enter
// button, when it is shown and enabled. Qt's own choice of a default (the
// first button of the dialog, even a hidden one) never applies.
class ProgramDialog : public QDialog {
    Q_OBJECT
  public:
    using QDialog::QDialog;

    // The button Enter presses when no field names one; none by default.
    void SetEnterButton(QPushButton* button);
    // Enter in `field` presses `button`; a null button makes Enter there do
    // only what the field itself does with it (open a folder, say).
    void SetEnterButton(QWidget* field, QPushButton* button);

    // True while a job started by RunInBackground runs.
    bool JobRunning() const;

    // Asked before the program closes: true at once when no long job of
    // this dialog runs. While one runs, asks StopJobQuestion(); No gives
    // false and the job goes on; Yes stops the job, waits for it to end
    // and closes the dialog, without the message its end would show.
    bool QueryStopForClose();
    // True once QueryStopForClose stopped a job for the program to close;
    // whoever opened the dialog closes the program when it has returned.
    bool ClosingProgram() const { return closingProgram_; }

  protected:
    void keyPressEvent(QKeyEvent* event) override;

    // The question QueryStopForClose asks while a job runs.
    virtual std::string StopJobQuestion() const;

    // What a long job reports after each step: `done` of `total`; false
    // when it is asked to stop.
    using JobReport = std::function<bool(int done, int total)>;
    // Runs `work` on `job`'s thread while the dialog keeps answering: the
    // `idle` controls that are enabled wait disabled, `progress` follows
    // what the work reports, and the pointer says work goes on. Returns
    // once the work has ended, everything as it was.
    void RunInBackground(BackgroundJob& job, GradientProgressBar* progress,
                         const QList<QWidget*>& idle,
                         const std::function<void(const JobReport&)>& work);
    // Asks the job running in RunInBackground to stop, for ｷｬﾝｾﾙ and for
    // closing while it runs; false when none runs (or it has ended).
    bool StopBackgroundJob();

    // The last opening steps: places a dialog of outer size `window`, gives
    // it its shadow, remembers the cursor and plays the opening animation.
    void OpenFromCursor(QSize window);
    // The closing animation into the point remembered at opening; only the
    // first call plays it, however often the dialog is closed.
    void ZoomBackToCursor();

  private:
    BackgroundJob* runningJob_ = nullptr;
    QPointer<QPushButton> enterButton_;
    QHash<QWidget*, QPointer<QPushButton>> fieldButtons_;
    QPoint cursorAtOpening_;
    bool zoomedBack_ = false;
    bool closingProgram_ = false;
};

}  // namespace fennix
