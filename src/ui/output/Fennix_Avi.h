#pragma once

#include <functional>
#include <optional>
#include <string>

#include "ui/common/ProgramDialog.h"
#include "media/AviWriter.h"
#include "engine/BackgroundJob.h"
#include "media/PicturePane.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;

namespace fennix {

class GFXFrameX;
class GradientProgressBar;
class PaneWidget;
class PanelWidget;
class ucUpDown;

// Asks for the compressor of a new AVI file. The program shows its
// compressor chooser; tests put a function here that answers at once.
extern std::function<std::optional<CompressorOptions>(QWidget* owner)> ChooseCompressor;

// The AVI dialog: a drive list, a folder tree and a file list, used in the
// mode FolderDialogMode gives when it is created: 0 builds an AVI file from
// the image files of a folder, 1 chooses a folder of frames for the frame
// viewer, 2 chooses an AVI file and plays it.
class Fennix_Avi : public ProgramDialog {
    Q_OBJECT
  public:
    explicit Fennix_Avi(QWidget* owner);

    // The opening steps: layout of the mode, start folder, centring.
    void Form_Load();

    // The folder the tree shows.
    const std::string& Folder() const { return folder_; }

    // Makes `folder` the folder of the tree and runs the folder-changed step.
    void SetFolder(const std::string& folder);

    // Switches to the volume mounted at `drive`; one that cannot be read
    // asks to retry or cancel, and cancel goes back to the current folder's.
    void drv1_Change(const std::string& drive);
    void dir1_Change();
    void File1_Click(int row);
    void cmd_OK_Click();
    void cmd_Can_Click();
    void VS_Repeat_Change(int value);
    void Cmd_Avi_Save_Click();
    void Cmd_Viewer_Click();

    int Mode() const { return mode_; }
    int SourceWidth = 0;
    int SourceHeight = 0;
    double PreviewWidth = 0;
    double PreviewHeight = 0;
    std::string LastSavedPath;  // the AVI file saved last
    int OutputWidth = 40;       // the size of the previous creation
    int OutputHeight = 40;

    QComboBox* drv1 = nullptr;
    QListWidget* dir1 = nullptr;
    QListWidget* File1 = nullptr;
    PicturePane Pic_Pre;
    PaneWidget* Pic_PreWidget = nullptr;
    PanelWidget* fraPre = nullptr;
    PanelWidget* MainPanel = nullptr;
    GFXFrameX* fraOption = nullptr;
    QLineEdit* txtWidth = nullptr;
    QLineEdit* txtHeight = nullptr;
    QLineEdit* txtFPS = nullptr;
    QLabel* lbl_Flame = nullptr;
    QLabel* lblRepeat = nullptr;
    ucUpDown* VS_Repeat = nullptr;
    QLabel* lbl_Repeat = nullptr;
    QPushButton* Cmd_Avi_Save = nullptr;
    QPushButton* Cmd_Viewer = nullptr;
    QPushButton* cmd_OK = nullptr;
    QPushButton* cmd_Can = nullptr;
    GradientProgressBar* Progress = nullptr;  // shown while a file is made

    // True while an AVI file is being made.
    bool Creating() const;

  protected:
    void done(int result) override;
    std::string StopJobQuestion() const override;

  private:
    void FillDrives();
    void FillFolderTree();
    void ShowPreview(const std::string& path);
    // The path of the file a row of the file list stands for, from the
    // name's own bytes (the text shown may have lost some of them).
    std::string FilePath(const QListWidgetItem* item) const;
    // The file row the user selected; null when none is.
    QListWidgetItem* SelectedFile() const;
    std::string DriveOf(const std::string& folder) const;

    // Makes the file on a thread of its own while the dialog keeps
    // answering; returns when it has ended.
    AviOutcome CreateInBackground(const std::vector<std::string>& frames, const std::string& path,
                                  int rate);

    int mode_ = 0;
    std::string folder_;
    BackgroundJob job_{this};
};

// The menu command "AVI ファイルの作成": the dialog in mode 0.
void ShowAviCreation(QWidget* owner);

// The menu commands "AVI ファイル(A)" and "AVI ビューア": the dialog in mode 2,
// which plays the chosen file.
void ShowAviPlayer(QWidget* owner);

// The frame viewer's folder choice: the dialog in mode 1. True and `folder`
// set (also Settings.FrameFolder) when a folder with frame 000 was confirmed.
bool ChooseViewerFolder(QWidget* owner, std::string& folder);

}  // namespace fennix
