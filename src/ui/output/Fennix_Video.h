#pragma once

#include <string>
#include <vector>

#include "ui/common/ProgramDialog.h"
#include "media/VideoExport.h"
#include "engine/BackgroundJob.h"
#include "media/PicturePane.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace fennix {

class GFXFrameX;
class GradientProgressBar;
class PaneWidget;
class PanelWidget;
class ucUpDown;

// The video export dialog: a folder of frames becomes an MP4, WebM or GIF
// file of the chosen size, rate and quality, made on a thread of its own
// with progress and ｷｬﾝｾﾙ. The encoding itself is ExportVideo's.
class Fennix_Video : public ProgramDialog {
    Q_OBJECT
  public:
    explicit Fennix_Video(QWidget* owner);

    // The opening steps: start folder (the last run's frames), centring.
    void Form_Load();

    // Shows the frames of `folder`: count, preview, and in the size fields
    // the size the chosen format makes of them by default.
    void SetFolder(const std::string& folder);
    const std::string& Folder() const { return folder_; }
    const std::vector<std::string>& Frames() const { return frames_; }

    void cmd_Folder_Click();
    void Cmd_Export_Click();
    void cmd_Can_Click();

    // True while a file is being made.
    bool Exporting() const { return job_.Running(); }

    // The options the controls hold; false (and a message shown) when a
    // field does not hold a usable value.
    bool ReadOptions(VideoOptions& options);

    std::string LastSavedPath;  // the file written last

    PanelWidget* MainPanel = nullptr;
    GFXFrameX* fraFrames = nullptr;
    PanelWidget* fraPre = nullptr;
    PicturePane Pic_Pre;
    PaneWidget* Pic_PreWidget = nullptr;
    QLabel* lbl_Folder = nullptr;
    QLabel* lbl_Flame = nullptr;
    QPushButton* cmd_Folder = nullptr;
    GFXFrameX* fraOption = nullptr;
    QComboBox* cboFormat = nullptr;  // MP4, WebM, GIF in VideoFormat order
    QLineEdit* txtWidth = nullptr;
    QLineEdit* txtHeight = nullptr;
    QLineEdit* txtFPS = nullptr;
    ucUpDown* VS_FPS = nullptr;
    QComboBox* cboQuality = nullptr;  // High, Normal, Small
    QCheckBox* chkPingPong = nullptr;
    QPushButton* Cmd_Export = nullptr;
    QPushButton* cmd_Can = nullptr;
    GradientProgressBar* Progress = nullptr;  // shown while a file is made

  protected:
    void done(int result) override;
    std::string StopJobQuestion() const override;

  private:
    VideoResult ExportInBackground(const std::string& path, const VideoOptions& options);
    // The size fields at the format's default for the frames, unless the
    // user has typed a size of their own.
    void ShowDefaultSize();

    std::string folder_;
    QSize frameSize_;          // the first frame's
    bool sizeTyped_ = false;  // the size fields hold the user's own values
    std::vector<std::string> frames_;
    BackgroundJob job_{this};
};

// The menu command "動画ファイルの書き出し".
void ShowVideoExport(QWidget* owner);

}  // namespace fennix
