#pragma once

#include <QTimer>
#include <string>

#include "ui/common/ProgramDialog.h"
#include "ui/common/VideoPlayer.h"

namespace fennix {

// The AVI player: a borderless window at the video's natural size that
// plays AviPlayPath Settings.AviRepeat times and then closes by itself.
// Escape or Space closes it at once, also while the video plays. A file
// that cannot be played leaves the window black at 232 × 244 until the
// play loop has run.
class Fennix_aviView : public ProgramDialog {
    Q_OBJECT
  public:
    explicit Fennix_aviView(QWidget* owner);
    ~Fennix_aviView() override;

    // The opening steps: open the file, size and centre the window, start
    // the one-shot timer that plays.
    void Form_Load();

    // The play loop, run by the first tick of Timer1.
    void Timer1_Timer();

    std::string lbl_Path;  // the file played
    QWidget* picVideo = nullptr;
    QTimer Timer1;
    int PlaysStarted = 0;  // how many plays of the loop have begun
    VideoPlayer Player;

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void done(int result) override;

  private:
    bool closing_ = false;
};

// Shows the player modally on AviPlayPath; returns when it has closed.
void PlayAvi(QWidget* owner);

}  // namespace fennix
