#pragma once

#include <QList>
#include <QMainWindow>
#include <functional>
#include <string>
#include <vector>

class QAction;
class QLabel;
class QDragEnterEvent;
class QDropEvent;
class QMdiArea;
class QMdiSubWindow;
class QMenu;

namespace fennix {

class Fennix_Main;
class Fennix_Opt;
class Fennix_Pic;

// The frame window: holds every document window, owns the working folders,
// start-up and shut-down, and the frame menu, which is shown while no
// document is active.
class Fennix_Mdif : public QMainWindow {
    Q_OBJECT
public:
    Fennix_Mdif();
    ~Fennix_Mdif() override;

    // Start-up: sets and creates the working folders in the scratch and
    // application folders, claims the temporary folder for this copy, loads the settings
    // and rebuilds the recent-file items (see OpenProgramFiles). Each step
    // runs even when the one before failed; nothing is thrown.
    void MDIForm_Load();

    // Shut-down, after every document has closed: saves the settings and
    // removes the temporary images this copy made, except those of a
    // document still open. Each step runs even when the one before failed;
    // nothing is thrown.
    void MDIForm_Unload();

    // A new, hidden document window inside the frame. It removes itself
    // from the frame when it unloads.
    Fennix_Main* CreateDocument();

    // The open document windows, in the frame's order.
    QList<Fennix_Main*> Documents() const;

    QMdiArea* MdiArea() const { return mdiArea_; }

    // 開く: asks for a project file and opens it in a new document window.
    void mnuOpenMorph_Click();
    // A recent-file item: opens entry n of the list in a new window.
    void mnuRecent_Click(int n);
    // Shows the recent-file items as the list and the display setting say.
    void RebuildRecentMenu();

    // 新規: opens the source image dialog; its OK opens a new document
    // from the two prepared images.
    void mnuNewMorph_Click();
    // The same with the two pictures (when given) already picked.
    void NewMorphWith(const std::string& startPicture, const std::string& endPicture);

    // Opens the files given on the command line or dropped on the frame
    // (see PlanLaunch): each project in a window of its own, two pictures
    // in the picture dialog of a new morph; what is refused is said in
    // one message.
    void OpenFiles(const std::vector<std::string>& files, const std::string& workingFolder);

    // 連続モーフィング: several projects made into one folder of frames
    // (Fennix_Chain); its viewer is RunViewer.
    void mnuChain_Click();

    // モーフィングデータ: the frame viewer on the application folder, with a
    // folder choice.
    void mnuMo_Click();
    // Shows the frame viewer modally; tests replace it.
    std::function<void()> RunViewer;

    // Shows the source image dialog modally; tests replace it to act on the
    // dialog instead of waiting for a user.
    std::function<void(Fennix_Pic&)> RunSourceDialog;

    // オプション: the options dialog on the settings record; afterwards the
    // recent-file items follow the display count chosen.
    void mnuOption_Click();
    // Shows the options dialog modally; tests replace it to act on the dialog.
    std::function<void(Fennix_Opt&)> RunOptionsDialog;

    QMenu* mnuFile = nullptr;
    QAction* mnuNewMorph = nullptr;
    QAction* mnuOpenMorph = nullptr;
    QAction* mnuChain = nullptr;  // 連続モーフィング
    QAction* mnudmy1 = nullptr;
    QAction* mnuRecent[21] = {};  // 1 … 20
    QAction* mnudmy2 = nullptr;
    QAction* mnuEnd = nullptr;
    QAction* mnuOption = nullptr;
    QMenu* mnuView = nullptr;
    QAction* mnuMo = nullptr;
    QAction* mnuAVI = nullptr;
    QAction* mnuVideo = nullptr;  // 動画ファイルの書き出し
    QMenu* mnuHelp = nullptr;     // ヘルプ, after the frame's or the document's menus
    // The status bar's text: the active document's PointerStatus.
    QLabel* lblPointer = nullptr;
    // The active document's Hint, on the status bar's left (nothing when empty).
    void ShowHint(const QString& hint);

  protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    void BuildMenu();
    void ShowMenusOf(QMdiSubWindow* active);

    QMdiArea* mdiArea_ = nullptr;
    QList<QAction*> frameMenuBar_;
    bool unloaded_ = false;
};

}  // namespace fennix
