#pragma once

#include <QDateTime>
#include <QList>
#include <QWidget>
#include <functional>
#include <string>

#include "project/MorphDocument.h"

class QAction;
class QMenu;

namespace fennix {

class GradientProgressBar;
class PaneWidget;
class PanelWidget;
class ucScrollbar;

// The document window of one morph: the start and end image side by side,
// each with its grid, inside a panel with two scroll bars, and the
// document's own menu, which the frame shows while this window is active.
class Fennix_Main : public QWidget {
    Q_OBJECT
public:
    explicit Fennix_Main(QWidget* parent = nullptr);
    ~Fennix_Main() override;

    // Creates the document from two prepared image files: loads both, lays
    // both grids from the settings, draws them and shows the window. When an
    // image cannot be loaded, shows "<path>が無効です。" and unloads the
    // window; returns false then.
    bool NewMorph(const std::string& startPath, const std::string& endPath);

    // Places the panes and the scroll bars for the current sizes.
    void ArrangeViews();

    // 作成スタート: writes the document's frames into a new folder named
    // after the date and time, showing each frame as it is made, then asks
    // whether to look at them. A failure shows "③処理は失敗しました。" and
    // leaves the window as it was; the frames written so far stay.
    void mnuMorphIt_Click();

    // The clock that names frame folders (tests set a fixed one).
    std::function<QDateTime()> Clock = [] { return QDateTime::currentDateTime(); };

    // Shows the frame viewer modally (after a run, or from the menu with
    // ViewerFromMenu set); tests replace it so nothing waits for a user.
    std::function<void()> RunViewer;

    // モーフィングビューア: the frame viewer with a folder choice.
    void mnuMorph_Click();

    // Opens the project file at `path` in this fresh window: reads it, loads
    // both images, draws both grids and shows the window with the path as
    // caption. On failure shows why and unloads the window; returns false.
    bool OpenMorph(const std::string& path);

    // 上書き保存: writes the project file in place; a document never saved
    // (or whose file has gone) is saved under a name instead.
    void mnuSaveMorph_Click();
    // 名前を付けて保存: asks for a name and writes the project file there;
    // the file joins the recent-file list.
    void mnuSaveName_Click();

    // Asked before the window closes; false keeps it open. The frame asks
    // every document before it closes any, so one refusal stops its close.
    virtual bool QueryUnload();

    // Closes the window (its frame box inside the frame window) for good.
    void Unload();

    // The document's menu, in menu-bar order.
    const QList<QMenu*>& Menus() const { return menus_; }

    MorphDocument Document;
    DocumentPanes Panes;

    PanelWidget* Pb = nullptr;
    ucScrollbar* HScroll1 = nullptr;
    ucScrollbar* VScroll1 = nullptr;
    GradientProgressBar* GradientProgressBar1 = nullptr;

    QAction* mnuCloseMorph = nullptr;
    QAction* mnuSaveMorph = nullptr;
    QAction* mnuSaveName = nullptr;
    QAction* mnuSetting = nullptr;
    QAction* mnuColor[3] = {};
    QAction* mnuZoom[4] = {};  // 1 … 3
    QAction* mnuMorphIt = nullptr;
    QAction* mnuMorph = nullptr;
    QAction* mnuAVI = nullptr;
    QAction* mnuAVI2 = nullptr;

signals:
    // Sent when the window has been unloaded.
    void Unloaded();
    // Sent after a save under a new name has added to the recent-file list.
    void RecentFilesChanged();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void BuildMenus();
    void HScroll1_Change(int value);
    void VScroll1_Change(int value);
    void ShowWindow();
    void EndMorphRun(const QString& caption);
    void RelocateImages();
    void SaveUnderName(bool addToRecentFiles);
    void WriteProject(const std::string& path);
    QWidget* OuterWindow();

    QList<QMenu*> menus_;
    PaneWidget* paneWidgets_[2] = {};
    PaneWidget* morphWidget_ = nullptr;
    bool unloading_ = false;
};

}  // namespace fennix
