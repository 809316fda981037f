#pragma once

#include <QDateTime>
#include <functional>
#include <string>
#include <vector>

#include "engine/BackgroundJob.h"
#include "engine/MorphChain.h"
#include "ui/common/ProgramDialog.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace fennix {

class GradientProgressBar;

// "連続モーフィング": several projects made one after the other into one
// folder of numbered frames (see RunMorphChain), so a series of pictures
// morphs on without a break. The list is put in order with 追加, 削除, 上へ
// and 下へ; the output folder is chosen (empty: a new folder named after
// the date and time beside the program, as 作成スタート makes). 作成 runs
// the chain on a thread of its own with progress; ｷｬﾝｾﾙ (or Escape) stops
// it after the frame being made, keeping the frames written. Afterwards the
// folder is the one the viewer and the video export open on.
class Fennix_Chain : public ProgramDialog {
    Q_OBJECT
  public:
    explicit Fennix_Chain(QWidget* parent = nullptr);

    // The projects as listed.
    std::vector<std::string> Projects() const;
    void AddProject(const std::string& path);

    void cmdAdd_Click();
    void cmdRemove_Click();
    void cmdMove_Click(int step);  // -1 up, +1 down
    void cmdFolder_Click();
    void cmdRun_Click();
    void cmdCancel_Click();

    // The clock that names a new frame folder (tests set a fixed one).
    std::function<QDateTime()> Clock = [] { return QDateTime::currentDateTime(); };
    // Shows the frame viewer after a run; tests replace it.
    std::function<void()> RunViewer;

    // The folder the last run wrote into; empty before one ran.
    const std::string& LastFolder() const { return lastFolder_; }

    QListWidget* lstProjects = nullptr;
    QPushButton* cmdAdd = nullptr;
    QPushButton* cmdRemove = nullptr;
    QPushButton* cmdUp = nullptr;
    QPushButton* cmdDown = nullptr;
    QLineEdit* txtFolder = nullptr;
    QPushButton* cmdFolder = nullptr;
    QLabel* lblStatus = nullptr;
    GradientProgressBar* Progress = nullptr;
    QPushButton* cmdRun = nullptr;
    QPushButton* cmdCancel = nullptr;

    static constexpr int kWidth = 480;
    static constexpr int kHeight = 368;

  protected:
    void done(int result) override;
    std::string StopJobQuestion() const override;

  private:
    void UpdateButtons();
    // The folder to write into, made when missing; empty (and a message
    // shown) when it cannot be used.
    std::string OutputFolder();

    std::string lastFolder_;
    BackgroundJob job_{this};
};

// The menu command "連続モーフィング".
void ShowMorphChain(QWidget* owner, const std::function<void()>& runViewer);

}  // namespace fennix
