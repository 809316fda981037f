#pragma once

#include <QDialog>
#include <QElapsedTimer>
#include <QPoint>
#include <QString>
#include <cstdint>
#include <functional>
#include <string>

#include "media/FramePlayer.h"
#include "media/FramePrefetch.h"
#include "media/PicturePane.h"

class QKeyEvent;
class QLabel;
class QTimer;
class QPushButton;

namespace fennix {

class PaneWidget;
class PanelWidget;
class Slider;
class ucScrollbar;

// The frame viewer "モーフィングビューア": plays the numbered frame files of
// one morph inside the program, once forwards or back and forth, at an
// interval the user sets. Opened right after a morph run
// (Settings.ViewerFromMenu false) it shows Settings.FrameFolder and is
// ready to play; opened from a menu (ViewerFromMenu true) it starts empty
// and the user first chooses a folder. The window reads the settings when
// it is created; the interval control writes Settings.PlayInterval at once.
class Fennix_View : public QDialog {
    Q_OBJECT
  public:
    // Asks for a frame folder: starts at `folder`, and on confirmation stores
    // the chosen folder there and returns true; false when cancelled.
    using FolderChooser = std::function<bool(QWidget* owner, std::string& folder)>;

    explicit Fennix_View(QWidget* owner = nullptr);
    ~Fennix_View() override;

    // The folder choice of Cmd_File. When empty, Qt's own folder dialog is
    // used, and a folder without "000.bmp" and "000.jpg" is refused with a
    // message and the dialog shown again.
    FolderChooser ChooseFolder;

    // Milliseconds from any fixed start; playback reads it on every pass.
    std::function<int64_t()> Clock;

    // The viewer open at the moment, or nullptr.
    static Fennix_View* Instance();

    // Controls.
    PicturePane PicMorph;  // the frame, at the natural size of its picture
    PaneWidget* PicMorphView = nullptr;
    PanelWidget* Pic_B = nullptr;  // panel holding the frame
    QWidget* Strip = nullptr;      // the row of controls below the panel
    QPushButton* Cmd_File = nullptr;
    QPushButton* Cmd_Play = nullptr;
    QPushButton* Cmd_Pause = nullptr;
    QPushButton* Cmd_Loop = nullptr;
    QLabel* lbl = nullptr;
    ucScrollbar* HS_Interval = nullptr;
    QLabel* LblInterval = nullptr;
    QLabel* lbl_Path = nullptr;
    QTimer* PlayTimer = nullptr;  // due when the run's next pass is
    // Beside the path: the frame on screen as "k / N", and a slider to jump
    // to any frame while nothing plays (the Left and Right keys step one).
    Slider* FrameSlider = nullptr;
    QLabel* lblFrame = nullptr;
    // The frame on screen; -1 while none is.
    int ShownFrame() const { return shownFrame_; }
    // Shows frame k of the folder while nothing plays; false when it cannot
    // be shown (a run is going, or there is no such frame).
    bool JumpToFrame(int k);

    const FramePlayer& Player() const { return player_; }
    // The sequence folder, ending in a separator; empty before one is known.
    const std::string& FolderPath() const { return folderPath_; }
    // 0 bitmap frames, 1 JPEG frames.
    int Kind() const { return kind_; }

    // Handlers. Form_Load runs from the constructor.
    void Form_Load();
    void Cmd_File_Click();
    void Cmd_Play_Click();
    void Cmd_Pause_Click();
    void Cmd_Loop_Click();
    void HS_Interval_Change(int value);
    void PlayTimer_Timer();

    void done(int result) override;

  protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    // Left and Right reach the viewer from its buttons too, which would
    // otherwise move the focus with them.
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void BuildControls();
    bool LoadFrame(int index);
    // The frame's size on the screen: scaled down when it would not fit.
    QSize ShownFrameSize() const;
    void PlaceFrame();
    void ApplyLayout(int verticalDivisor);
    void ShowPath();
    void SetPlayControlsEnabled(bool enabled);
    void Reschedule();
    // The slider and counter after a change of folder, frame or play state.
    void ShowFramePosition();

    QElapsedTimer elapsed_;
    FramePlayer player_;
    FramePrefetch prefetch_;  // the next frame of a run, read while this one shows
    std::string folderPath_;
    QString shownPath_;  // lbl_Path's text: the chosen folder, empty before a choice
    int kind_ = 0;
    int lastFrame_ = -1;   // the folder's last frame; -1 before one is known
    int shownFrame_ = -1;
    QPoint cursorPoint_;
    bool opened_ = false;
};

// Shows the frame viewer modally and returns when it is closed. The caller
// sets Settings.ViewerFromMenu first (and, from the frame window's menu,
// Settings.FrameFolder to the folder the choice should start at). `chooser`
// becomes the viewer's ChooseFolder (Qt's folder dialog when empty). While a
// viewer is open, a second call only brings it to the front.
void ShowFrameViewer(QWidget* owner, Fennix_View::FolderChooser chooser = {});

}  // namespace fennix
