#include "ui/frame/Fennix_Chain.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <filesystem>
#include <system_error>

#include "core/AppFolder.h"
#include "core/Paths.h"
#include "core/Prompts.h"
#include "core/Translation.h"
#include "media/FrameSequence.h"
#include "model/RunSpace.h"
#include "model/Settings.h"
#include "ui/common/cFileDlg.h"
#include "ui/controls/FormFields.h"
#include "ui/controls/GFXFrameX.h"
#include "ui/controls/GradientProgressBar.h"
#include "ui/controls/ccXPButton.h"

namespace fennix {

namespace {
constexpr const char* kRunFailed = TrMark("Fennix_Chain", "③処理は失敗しました。");
}  // namespace

Fennix_Chain::Fennix_Chain(QWidget* parent) : ProgramDialog(parent) {
    setWindowTitle(Q(Tr("Fennix_Chain", "連続モーフィング")));
    setModal(true);
    setFixedSize(kWidth, kHeight);

    auto* list = new GFXFrameX(Q(Tr("Fennix_Chain", "プロジェクト（上から順に作成）")), this);
    list->setGeometry(8, 6, kWidth - 16, 200);
    lstProjects = new QListWidget(this);
    lstProjects->setGeometry(20, 30, kWidth - 140, 164);
    auto button = [this](const char* caption, int x, int y, int w) {
        auto* b = new ccXPButton(Q(caption), this);
        b->setGeometry(x, y, w, 28);
        return b;
    };
    cmdAdd = button(Tr("Fennix_Chain", "追加"), kWidth - 112, 30, 92);
    cmdAdd->setToolTip(Q(Tr("Fennix_Chain", "プロジェクトを一覧に加えます")));
    cmdRemove = button(Tr("Fennix_Chain", "削除"), kWidth - 112, 64, 92);
    cmdRemove->setToolTip(Q(Tr("Fennix_Chain", "選んだプロジェクトを一覧から外します")));
    cmdUp = button(Tr("Fennix_Chain", "上へ"), kWidth - 112, 112, 92);
    cmdUp->setToolTip(Q(Tr("Fennix_Chain", "選んだプロジェクトを一つ前にします")));
    cmdDown = button(Tr("Fennix_Chain", "下へ"), kWidth - 112, 146, 92);
    cmdDown->setToolTip(Q(Tr("Fennix_Chain", "選んだプロジェクトを一つ後にします")));

    auto* output = new GFXFrameX(Q(Tr("Fennix_Chain", "出力フォルダ")), this);
    output->setGeometry(8, 212, kWidth - 16, 62);
    txtFolder = new QLineEdit(this);
    txtFolder->setGeometry(20, 236, kWidth - 140, 26);
    txtFolder->setPlaceholderText(Q(Tr("Fennix_Chain", "（空欄：日付と時刻の新しいフォルダ）")));
    cmdFolder = button(Tr("Fennix_Chain", "ﾌｫﾙﾀﾞの選択"), kWidth - 112, 235, 92);
    cmdFolder->setToolTip(Q(Tr("Fennix_Chain", "フレームを書き出すフォルダを選びます")));

    lblStatus = new QLabel(this);
    lblStatus->setGeometry(12, 282, kWidth - 24, 20);
    Progress = new GradientProgressBar(this);
    Progress->setGeometry(12, 304, kWidth - 24, 14);
    Progress->hide();
    cmdRun = button(Tr("Fennix_Chain", "作成"), kWidth - 8 - 92 - 8 - 92, kHeight - 40, 92);
    cmdRun->setToolTip(Q(Tr("Fennix_Chain", "一覧のプロジェクトを順にフレームにします")));
    cmdCancel = button(Tr("Fennix_Chain", "閉じる"), kWidth - 8 - 92, kHeight - 40, 92);
    cmdCancel->setToolTip(Q(Tr("Fennix_Chain", "ウィンドウを閉じます")));
    SetEnterButton(cmdRun);
    SetEnterButton(txtFolder, cmdRun);

    connect(cmdAdd, &QPushButton::clicked, this, &Fennix_Chain::cmdAdd_Click);
    connect(cmdRemove, &QPushButton::clicked, this, &Fennix_Chain::cmdRemove_Click);
    connect(cmdUp, &QPushButton::clicked, this, [this] { cmdMove_Click(-1); });
    connect(cmdDown, &QPushButton::clicked, this, [this] { cmdMove_Click(1); });
    connect(cmdFolder, &QPushButton::clicked, this, &Fennix_Chain::cmdFolder_Click);
    connect(cmdRun, &QPushButton::clicked, this, &Fennix_Chain::cmdRun_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &Fennix_Chain::cmdCancel_Click);
    connect(lstProjects, &QListWidget::currentRowChanged, this, &Fennix_Chain::UpdateButtons);
    UpdateButtons();
    OpenFromCursor(size());
}

std::vector<std::string> Fennix_Chain::Projects() const {
    std::vector<std::string> paths;
    for (int row = 0; row < lstProjects->count(); ++row)
        paths.push_back(lstProjects->item(row)->data(Qt::UserRole).toByteArray().toStdString());
    return paths;
}

void Fennix_Chain::AddProject(const std::string& path) {
    // The item keeps the path's bytes; the list shows them as text.
    auto* item = new QListWidgetItem(QString::fromUtf8(path.c_str()), lstProjects);
    item->setData(Qt::UserRole, QByteArray::fromStdString(path));
    lstProjects->setCurrentRow(lstProjects->count() - 1);
    UpdateButtons();
}

void Fennix_Chain::UpdateButtons() {
    const int row = lstProjects->currentRow(), count = lstProjects->count();
    cmdRemove->setEnabled(row >= 0);
    cmdUp->setEnabled(row > 0);
    cmdDown->setEnabled(row >= 0 && row + 1 < count);
    cmdRun->setEnabled(count > 0);
    lblStatus->setText(count == 0 ? Q(Tr("Fennix_Chain", "プロジェクトを追加してください。"))
                                  : Q(Tr("Fennix_Chain", "%1 個のプロジェクト")).arg(count));
}

void Fennix_Chain::cmdAdd_Click() {
    cFileDlg dialog;
    dialog.DlgTitle = Tr("Fennix_Chain", "ファイルを開く");
    dialog.Filter = Tr("Fennix_Chain", "モーフィングファイル (*.mph)|*.mph");
    Settings.DialogFolder() = Settings.ProjectFolder();
    std::string chosen, title;
    if (!dialog.VBGetOpenFileName(chosen, title)) return;
    Settings.ProjectFolder() = PathFolder(chosen);
    AddProject(chosen);
}

void Fennix_Chain::cmdRemove_Click() {
    const int row = lstProjects->currentRow();
    if (row < 0) return;
    delete lstProjects->takeItem(row);
    UpdateButtons();
}

void Fennix_Chain::cmdMove_Click(int step) {
    const int row = lstProjects->currentRow(), to = row + step;
    if (row < 0 || to < 0 || to >= lstProjects->count()) return;
    lstProjects->insertItem(to, lstProjects->takeItem(row));
    lstProjects->setCurrentRow(to);
    UpdateButtons();
}

void Fennix_Chain::cmdFolder_Click() {
    std::string chosen;
    const std::string start = txtFolder->text().isEmpty() ? ApplicationFolder() : txtFolder->text().toStdString();
    if (CurrentPrompts().ChooseFolder(Tr("Fennix_Chain", "フォルダの選択"), start, chosen))
        txtFolder->setText(QString::fromStdString(chosen));
}

std::string Fennix_Chain::OutputFolder() {
    std::string folder = txtFolder->text().trimmed().toStdString();
    if (folder.empty()) {
        folder = MakeFrameFolder(ApplicationFolder(), Clock());
        if (folder.empty()) ShowMessage(Tr("Fennix_Chain", kRunFailed), MessageIcon::Exclamation);
        return folder;
    }
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (!DirectoryExists(folder)) {
        ShowMessage(folder + Tr("Fennix_Chain", "\nフォルダを作れませんでした。"),
                    MessageIcon::Exclamation);
        return {};
    }
    // Frames of another run would mix with these.
    if (const auto old = ListFrameFiles(folder); !old.empty()) {
        ShowMessage(folder + Format(Tr("Fennix_Chain",
                                       "\nこのフォルダにはすでにフレーム（%1）があります。"
                                       "別のフォルダを選んでください。"),
                                    {old.front()}),
                    MessageIcon::Exclamation);
        return {};
    }
    return folder;
}

void Fennix_Chain::cmdRun_Click() {
    if (job_.Running()) return;
    std::vector<ChainProject> projects;
    if (const std::string message = ReadChainProjects(Projects(), projects); !message.empty()) {
        ShowMessage(message, MessageIcon::Critical);
        return;
    }
    if (projects.empty()) return;
    // Asked before the folder is made, so that a No leaves nothing behind.
    const std::string typed = txtFolder->text().trimmed().toStdString();
    if (const auto space = RunSpaceShortage(typed.empty() ? ApplicationFolder() : typed,
                                            ChainFrameBytes(projects, {}, Settings.SaveKind)))
        if (ShowMessage(RunSpaceQuestion(*space), MessageIcon::Exclamation,
                        MessageButtons::YesNoDefaultNo) != MessageAnswer::Yes)
            return;
    const std::string folder = OutputFolder();
    if (folder.empty()) return;

    FrameOutput output;
    output.frameFolder = JoinPath(folder, "");
    output.saveKind = Settings.SaveKind;
    output.tempFolder = Settings.TempFolder;
    output.companionFolder = ExecutableFolder();
    output.oneFrameFrom = kOneFramePixels;
    const int64_t bound = ChainFrameBound(projects, {});
    const int total = static_cast<int>(std::min<int64_t>(bound, INT32_MAX));
    ChainOutcome outcome;
    cmdCancel->setText(Q(Tr("Fennix_Chain", "ｷｬﾝｾﾙ")));
    RunInBackground(job_, Progress, {lstProjects, cmdAdd, cmdRemove, cmdUp, cmdDown, txtFolder, cmdFolder, cmdRun},
                    [&](const JobReport& report) {
                        int done = 0;
                        MorphProgress progress;
                        progress.afterFrame = [&](int) { ++done; };
                        progress.cancelled = [&] { return !report(std::min(done, total), total); };
                        // Which project is being made, shown on the window's thread.
                        auto started = [this](int index, int count) {
                            job_.Post([this, index, count] {
                                lblStatus->setText(
                                    Q(Tr("Fennix_Chain", "%1 / %2 番目のプロジェクトを作成中"))
                                        .arg(index + 1)
                                        .arg(count));
                            });
                        };
                        outcome = RunMorphChain(projects, {}, output, progress, started);
                    });
    cmdCancel->setText(Q(Tr("Fennix_Chain", "閉じる")));
    lastFolder_ = folder;
    Settings.FrameFolder() = output.frameFolder;
    lblStatus->setText(Q(Tr("Fennix_Chain", "%1 フレーム: %2"))
                           .arg(outcome.written)
                           .arg(QString::fromStdString(folder)));
    if (ClosingProgram()) return;
    if (outcome.failure == kMorphCancelled) {
        ShowMessage(Format(Tr("Fennix_Chain", "作成を中止しました。%1 フレームを保存しました。"),
                           {std::to_string(outcome.written)}),
                    MessageIcon::Information);
        return;
    }
    if (!outcome.image.empty()) {
        ShowMessage(outcome.image + Tr("Fennix_Chain", "が無効です。"), MessageIcon::Exclamation);
        return;
    }
    if (!outcome.failure.empty()) {
        ShowMessage(std::string(Tr("Fennix_Chain", kRunFailed)) + "\n" +
                        projects[static_cast<size_t>(outcome.project)].path,
                    MessageIcon::Exclamation);
        return;
    }
    if (CurrentPrompts().Message(Tr("Fennix_Chain", "正常終了しました。確認しますか？"),
                                 Tr("Fennix_Chain", "Fennix(完了)"), MessageIcon::Question,
                                 MessageButtons::YesNo) == MessageAnswer::Yes &&
        RunViewer) {
        Settings.ViewerFromMenu = false;
        RunViewer();
    }
}

void Fennix_Chain::cmdCancel_Click() {
    if (!StopBackgroundJob()) reject();
}

std::string Fennix_Chain::StopJobQuestion() const {
    return Tr("Fennix_Chain", "連続モーフィングを作成中です。中止して閉じますか？");
}

void Fennix_Chain::done(int result) {
    // Escape or the close box while frames are made stops the run first.
    if (StopBackgroundJob()) return;
    QDialog::done(result);
    ZoomBackToCursor();
}

void ShowMorphChain(QWidget* owner, const std::function<void()>& runViewer) {
    Fennix_Chain dialog(owner);
    dialog.RunViewer = runViewer;
    dialog.exec();
    if (dialog.ClosingProgram() && owner) owner->window()->close();
}

}  // namespace fennix
