#include "ui/output/Fennix_Avi.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStorageInfo>
#include <QStyle>
#include <filesystem>
#include <system_error>

#include "core/AppFolder.h"
#include "core/Paths.h"
#include "core/Prompts.h"
#include "core/SafeWrite.h"
#include "core/Translation.h"
#include "media/AviFrames.h"
#include "media/ImageFile.h"
#include "model/Settings.h"
#include "ui/common/PaneWidget.h"
#include "ui/controls/FormFields.h"
#include "ui/controls/GFXFrameX.h"
#include "ui/controls/GradientProgressBar.h"
#include "ui/controls/ccXPButton.h"
#include "ui/controls/ucUpDown.h"
#include "ui/output/CompressorWidget.h"
#include "ui/output/Fennix_aviView.h"

namespace fennix {

std::function<std::optional<CompressorOptions>(QWidget* owner)> ChooseCompressor =
    ShowCompressorChooser;

namespace {

namespace fs = std::filesystem;

constexpr const char* kNoFrames =
    TrMark("Fennix_Avi", "フォルダの中にモーフ画像データが見つかりません！");
constexpr int kRepeatMax = 10;
constexpr int kModeShift = 196;  // how far mode 2 moves the player controls left


// True when the folder can be listed.
bool Readable(const std::string& folder) {
    std::error_code error;
    fs::directory_iterator it(fs::path(folder), error);
    return !error;
}

}  // namespace

Fennix_Avi::Fennix_Avi(QWidget* owner) : ProgramDialog(owner) {
    mode_ = FolderDialogMode;
    setModal(true);

    MainPanel = new PanelWidget(this);
    MainPanel->SetBackColor(0xE8E0D8);
    MainPanel->setGeometry(9, 9, 577, 388);

    drv1 = new QComboBox(MainPanel);
    drv1->setGeometry(10, 10, 200, 24);
    dir1 = new QListWidget(MainPanel);
    dir1->setGeometry(10, 40, 200, 100);
    File1 = new QListWidget(MainPanel);
    File1->setGeometry(10, 146, 200, 130);

    fraPre = new PanelWidget(MainPanel);
    fraPre->SetBackColor(0x808080);
    fraPre->setGeometry(222, 10, 105, 105);
    Pic_PreWidget = new PaneWidget(Pic_Pre, fraPre);

    fraOption = new GFXFrameX(Q(Tr("Fennix_Avi", "作成ｵﾌﾟｼｮﾝ")), MainPanel);
    fraOption->setGeometry(440, 10, 127, 190);
    Label(Tr("Fennix_Avi", "幅"), fraOption, 10, 26, 46, 22);
    txtWidth = Field(fraOption, 60, 26);
    Label(Tr("Fennix_Avi", "高さ"), fraOption, 10, 54, 46, 22);
    txtHeight = Field(fraOption, 60, 54);
    Label("fp/s", fraOption, 10, 82, 46, 22);
    txtFPS = Field(fraOption, 60, 82);
    txtFPS->setText("20");
    Label(Tr("Fennix_Avi", "ﾌﾚｰﾑ数 ："), fraOption, 10, 110, 64, 22);
    lbl_Flame = Label("", fraOption, 76, 110, 40, 22);
    lbl_Flame->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Cmd_Avi_Save = new ccXPButton(Q(Tr("Fennix_Avi", "AVIﾌｧｲﾙの作成")), fraOption);
    Cmd_Avi_Save->setToolTip(
        Q(Tr("Fennix_Avi", "フォルダのフレームから AVI ファイルを作成します")));
    Cmd_Avi_Save->setGeometry(8, 146, 111, 30);

    Cmd_Viewer = new ccXPButton(Q(Tr("Fennix_Avi", "AVI ﾋﾞｭｰｱ")), MainPanel);
    Cmd_Viewer->setToolTip(Q(Tr("Fennix_Avi", "AVI ファイルを選んで再生します")));
    Cmd_Viewer->setGeometry(440, 210, 127, 30);
    lblRepeat = Label(Tr("Fennix_Avi", "ﾘﾋﾟｰﾄ"), MainPanel, 440, 252, 50, 22);
    VS_Repeat = new ucUpDown(1, kRepeatMax, 1, MainPanel);
    VS_Repeat->setGeometry(494, 246, 17, 34);
    lbl_Repeat = Label("", MainPanel, 516, 252, 50, 22);

    Progress = new GradientProgressBar(MainPanel);
    Progress->setGeometry(10, 300, 404, GradientProgressBar::kHeight);
    Progress->hide();

    cmd_OK = new ccXPButton("OK", MainPanel);
    cmd_OK->setToolTip(Q(Tr("Fennix_Avi", "選んだものに決めます")));
    cmd_OK->setGeometry(222, 346, 92, 30);
    cmd_Can = new ccXPButton(Q(Tr("Fennix_Avi", "ｷｬﾝｾﾙ")), MainPanel);
    cmd_Can->setToolTip(Q(Tr("Fennix_Avi", "ウィンドウを閉じます")));
    cmd_Can->setGeometry(322, 346, 92, 30);

    connect(drv1, &QComboBox::activated, this,
            [this](int index) { drv1_Change(drv1->itemData(index).toString().toStdString()); });
    connect(dir1, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
        SetFolder(item->data(Qt::UserRole).toByteArray().toStdString());
    });
    // Enter on a folder opens it and does nothing more.
    SetEnterButton(dir1, nullptr);
    // A file selected with the mouse or the arrow keys counts as clicked;
    // the row the dialog selects itself while filling the list does not.
    connect(File1, &QListWidget::itemSelectionChanged, this, [this] {
        if (QListWidgetItem* item = SelectedFile()) File1_Click(File1->row(item));
    });
    connect(cmd_OK, &QPushButton::clicked, this, &Fennix_Avi::cmd_OK_Click);
    connect(cmd_Can, &QPushButton::clicked, this, &Fennix_Avi::cmd_Can_Click);
    connect(Cmd_Avi_Save, &QPushButton::clicked, this, &Fennix_Avi::Cmd_Avi_Save_Click);
    connect(Cmd_Viewer, &QPushButton::clicked, this, &Fennix_Avi::Cmd_Viewer_Click);
    connect(VS_Repeat, &ucUpDown::Change, this, &Fennix_Avi::VS_Repeat_Change);
}

void Fennix_Avi::Form_Load() {
    std::string start;
    if (mode_ == 0) {
        cmd_OK->hide();
        setFixedSize(595, 406);
        MainPanel->resize(577, MainPanel->height());
        setWindowTitle(Q(Tr("Fennix_Avi", "AVI ファイルの作成")));
        Cmd_Viewer->setEnabled(false);
        Cmd_Avi_Save->setEnabled(true);
        // Enter creates the file only from the creation options.
        for (QWidget* field : {txtWidth, txtHeight, txtFPS}) SetEnterButton(field, Cmd_Avi_Save);
        start = ApplicationFolder();
    } else if (mode_ == 1) {
        setFixedSize(448, 406);
        MainPanel->resize(429, MainPanel->height());
        setWindowTitle(Q(Tr("Fennix_Avi", "フォルダの選択")));
        SetEnterButton(cmd_OK);
        start = Settings.FrameFolder();
    } else {
        cmd_OK->hide();
        setFixedSize(448, 406);
        MainPanel->resize(429, MainPanel->height());
        setWindowTitle(Q(Tr("Fennix_Avi", "AVI ビューア")));
        Cmd_Viewer->setEnabled(false);
        for (QWidget* control :
             {static_cast<QWidget*>(Cmd_Viewer), static_cast<QWidget*>(lblRepeat),
              static_cast<QWidget*>(VS_Repeat), static_cast<QWidget*>(lbl_Repeat)})
            control->move(control->x() - kModeShift, control->y());
        File1->resize(File1->width(), 233);
        fraPre->hide();
        SetEnterButton(Cmd_Viewer);
        start = Settings.AviFolder();
    }
    // What lies beyond the narrower panel is hidden, so that neither Tab
    // nor Enter reaches a control the user cannot see.
    for (QWidget* control : MainPanel->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (control->x() >= MainPanel->width()) control->hide();
    // A start folder that is gone opens the program folder instead.
    if (start.size() > 1 && EndsInSeparator(start)) start.pop_back();
    if (!DirectoryExists(start)) start = ApplicationFolder();
    FillDrives();
    SetFolder(start);

    const int repeat = std::clamp<int>(Settings.AviRepeat, 1, kRepeatMax);
    VS_Repeat->SetValue(repeat);
    VS_Repeat_Change(VS_Repeat->Value());
    OpenFromCursor(size());
}

std::string Fennix_Avi::DriveOf(const std::string& folder) const {
    return QStorageInfo(QString::fromStdString(folder)).rootPath().toStdString();
}

void Fennix_Avi::FillDrives() {
    drv1->clear();
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        if (!volume.isValid()) continue;
        const QString root = volume.rootPath();
        if (drv1->findData(root) >= 0) continue;
        drv1->addItem(style()->standardIcon(QStyle::SP_DriveHDIcon), root, root);
    }
}

void Fennix_Avi::drv1_Change(const std::string& drive) {
    for (;;) {
        if (QStorageInfo(QString::fromStdString(drive)).isReady() && Readable(drive)) {
            SetFolder(drive);
            return;
        }
        const MessageAnswer answer =
            ShowMessage(Format(Tr("Fennix_Avi", "ドライブ%1 は、準備されていません。"), {drive}),
                        MessageIcon::Exclamation, MessageButtons::RetryCancel);
        if (answer != MessageAnswer::Retry) break;
    }
    drv1->setCurrentIndex(drv1->findData(QString::fromStdString(DriveOf(folder_))));
}

void Fennix_Avi::FillFolderTree() {
    dir1->clear();
    const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);
    // The folder's ancestors from the root down, each one step further in,
    // then the folders inside it.
    std::vector<fs::path> chain;
    for (fs::path p = fs::path(folder_); !p.empty(); p = p.parent_path()) {
        chain.push_back(p);
        if (p == p.parent_path()) break;
    }
    int depth = 0;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it, ++depth) {
        const std::string name = it->has_filename() ? it->filename().string() : it->string();
        auto* item =
            new QListWidgetItem(open, QString(depth * 2, ' ') + QString::fromStdString(name));
        item->setData(Qt::UserRole, QByteArray::fromStdString(it->native()));
        dir1->addItem(item);
    }
    dir1->setCurrentRow(dir1->count() - 1);
    std::vector<std::string> subfolders;
    std::error_code error;
    for (fs::directory_iterator it(fs::path(folder_), error), end; !error && it != end;
         it.increment(error)) {
        std::error_code kind;
        if (it->is_directory(kind)) subfolders.push_back(it->path().filename().string());
    }
    std::sort(subfolders.begin(), subfolders.end(), FileNameLess);
    for (const std::string& name : subfolders) {
        auto* item =
            new QListWidgetItem(closed, QString(depth * 2, ' ') + QString::fromStdString(name));
        item->setData(Qt::UserRole, QByteArray::fromStdString(JoinPath(folder_, name)));
        dir1->addItem(item);
    }
}

void Fennix_Avi::SetFolder(const std::string& folder) {
    folder_ = folder;
    const int drive = drv1->findData(QString::fromStdString(DriveOf(folder_)));
    if (drive >= 0) drv1->setCurrentIndex(drive);
    FillFolderTree();
    dir1_Change();
}

void Fennix_Avi::dir1_Change() {
    const QSignalBlocker filling(File1);
    File1->clear();
    // Each row keeps its file's name as bytes: a name that is not valid
    // UTF-8 shows with stand-in characters but still names its file.
    // Frames in frame order (999 before 1000), the order the AVI packs them.
    for (const std::string& name :
         mode_ == 2 ? ListFolderFiles(folder_, kAviPatterns) : ListFrameFolder(folder_)) {
        auto* item = new QListWidgetItem(QString::fromStdString(name), File1);
        item->setData(Qt::UserRole, QByteArray::fromStdString(name));
    }
    if (mode_ == 2) return;

    if (File1->count() > 0) {
        ShowPreview(FilePath(File1->item(0)));
        File1->setCurrentRow(0);
        txtWidth->setText(QString::number(SourceWidth));
        txtHeight->setText(QString::number(SourceHeight));
    } else {
        // An empty folder shows no picture and no frames, rather than those
        // of the folder before.
        Pic_Pre.ClearPicture();
        Pic_Pre.SetSize(0, 0);
        Pic_PreWidget->Sync();
    }
    lbl_Flame->setText(QString::number(File1->count()));
    Cmd_Avi_Save->setEnabled(true);
    Cmd_Viewer->setEnabled(false);
}

void Fennix_Avi::ShowPreview(const std::string& path) {
    const auto image = LoadImageFile(path);
    if (!image) return;
    SourceWidth = image->width();
    SourceHeight = image->height();
    const QSizeF size = PreviewSize(SourceWidth, SourceHeight);
    PreviewWidth = size.width();
    PreviewHeight = size.height();
    const QSize pixels = PreviewPixels(SourceWidth, SourceHeight);
    // Nearest-pixel drawing, as the colour-on-colour stretch mode does.
    Pic_Pre.SetPicture(image->scaled(pixels, Qt::IgnoreAspectRatio, Qt::FastTransformation));
    Pic_Pre.Move((fraPre->width() - pixels.width()) / 2, (fraPre->height() - pixels.height()) / 2);
    Pic_PreWidget->Sync();
}

QListWidgetItem* Fennix_Avi::SelectedFile() const {
    const QList<QListWidgetItem*> selected = File1->selectedItems();
    return selected.isEmpty() ? nullptr : selected.first();
}

std::string Fennix_Avi::FilePath(const QListWidgetItem* item) const {
    return JoinPath(folder_, item->data(Qt::UserRole).toByteArray().toStdString());
}

void Fennix_Avi::File1_Click(int row) {
    if (row < 0 || row >= File1->count()) return;
    if (mode_ == 2) {
        Cmd_Viewer->setEnabled(true);
        return;
    }
    ShowPreview(FilePath(File1->item(row)));
}

void Fennix_Avi::cmd_OK_Click() {
    if (!HasFirstFrame(folder_)) {
        ShowMessage(Tr("Fennix_Avi", kNoFrames), MessageIcon::Information);
        return;
    }
    Settings.DialogConfirmed = true;
    Settings.FrameFolder() = folder_;
    accept();
}

void Fennix_Avi::cmd_Can_Click() {
    if (!StopBackgroundJob()) reject();
}

void Fennix_Avi::VS_Repeat_Change(int value) {
    lbl_Repeat->setText(QString::number(value) + Q(Tr("Fennix_Avi", "回")));
    Settings.AviRepeat = static_cast<int16_t>(value);
}

void Fennix_Avi::Cmd_Avi_Save_Click() {
    if (!HasFirstFrame(folder_)) {
        ShowMessage(Tr("Fennix_Avi", kNoFrames), MessageIcon::Information);
        return;
    }
    FileRequest request;
    request.Save = true;
    request.Title = Tr("Fennix_Avi", "ﾌｧｲﾙ名を付けて保存");
    request.Folder = Settings.AviFolder();
    request.Filters = {Tr("Fennix_Avi", "AVI Videoﾌｧｲﾙ"), "*.avi"};
    request.FileName = "*.avi";
    request.DefaultExt = "avi";
    request.OverwritePrompt = true;
    const FileAnswer answer = CurrentPrompts().ChooseFile(request);
    if (!answer.Confirmed || answer.Path.empty()) return;
    const std::string path = answer.Path.substr(0, answer.Path.find('\0'));
    LastSavedPath = path;
    Settings.AviFolder() = PathFolder(path);

    // A size field that is not a 16-bit number keeps the size of the
    // previous creation; a rate that is not one skips the writing.
    if (const auto width = FieldToInt16(txtWidth->text().toStdString())) OutputWidth = *width;
    if (const auto height = FieldToInt16(txtHeight->text().toStdString())) OutputHeight = *height;
    const auto rate = FieldToInt16(txtFPS->text().toStdString());
    if (!rate) return;

    std::vector<std::string> frames;
    for (int i = 0; i < File1->count(); ++i) frames.push_back(FilePath(File1->item(i)));
    const AviOutcome outcome = CreateInBackground(frames, path, *rate);
    if (ClosingProgram()) return;  // stopped for the program to close: nothing to tell
    switch (outcome) {
        case AviOutcome::Written:
            Cmd_Viewer->setEnabled(true);
            ShowMessage(Tr("Fennix_Avi", "Avi ファイルを作成しました!"), MessageIcon::Exclamation);
            break;
        case AviOutcome::LoadFailed:
            ShowMessage(Tr("Fennix_Avi", "画像ファイルのロードで失敗しました!"),
                        MessageIcon::Exclamation);
            break;
        case AviOutcome::Failed:
        case AviOutcome::OutputIsFrame:
            ShowMessage(Tr("Fennix_Avi", "Aviファイルの作成は失敗しました!"),
                        MessageIcon::Exclamation);
            break;
        case AviOutcome::Stopped:
            ShowMessage(Tr("Fennix_Avi", "作成を中止しました。"), MessageIcon::Information);
            break;
        case AviOutcome::Cancelled:
            break;
    }
}

AviOutcome Fennix_Avi::CreateInBackground(const std::vector<std::string>& frames,
                                          const std::string& path, int rate) {
    // The frames are packed on a thread of their own: the dialog keeps
    // answering, shows how far the creation is, and its ｷｬﾝｾﾙ (or Escape)
    // stops it, leaving no file.
    AviOutcome outcome = AviOutcome::Failed;
    const int width = OutputWidth, height = OutputHeight;
    RunInBackground(job_, Progress, {drv1, dir1, File1, fraOption, Cmd_Viewer, VS_Repeat},
                    [&](const JobReport& report) {
        // The compressor is chosen on the dialog's thread, with the normal
        // pointer, while the creation waits for the answer.
        auto choose = [&] {
            std::optional<CompressorOptions> options;
            QMetaObject::invokeMethod(
                this,
                [&] {
                    QApplication::restoreOverrideCursor();
                    options = ChooseCompressor ? ChooseCompressor(this) : CompressorOptions{};
                    QApplication::setOverrideCursor(Qt::BusyCursor);
                },
                Qt::BlockingQueuedConnection);
            return options;
        };
        outcome = CreateAviFile(frames, path, width, height, rate, choose, nullptr, report);
    });
    return outcome;
}

bool Fennix_Avi::Creating() const {
    return job_.Running();
}

void Fennix_Avi::Cmd_Viewer_Click() {
    if (mode_ == 2) {
        if (!SelectedFile()) return;
        AviPlayPath = FilePath(SelectedFile());
    } else {
        AviPlayPath = LastSavedPath;
    }
    Settings.AviRepeat = static_cast<int16_t>(VS_Repeat->Value());
    PlayAvi(this);
}

std::string Fennix_Avi::StopJobQuestion() const {
    return Tr("Fennix_Avi", "AVI ファイルを作成中です。中止して閉じますか？");
}

void Fennix_Avi::done(int result) {
    // Closing (Escape, the window's close box) while a file is being made
    // stops the creation first; the dialog closes once it has ended.
    if (StopBackgroundJob()) return;
    // The scratch bitmap of an earlier version's creation, if one was left.
    RemoveRegularFile(AviTempPath());
    QDialog::done(result);
    ZoomBackToCursor();
}

void ShowAviCreation(QWidget* owner) {
    FolderDialogMode = 0;
    Fennix_Avi dialog(owner);
    dialog.Form_Load();
    dialog.exec();
    // The program was being closed while the file was made: close it now.
    if (dialog.ClosingProgram() && owner) owner->window()->close();
}

void ShowAviPlayer(QWidget* owner) {
    FolderDialogMode = 2;
    Fennix_Avi dialog(owner);
    dialog.Form_Load();
    dialog.exec();
}

bool ChooseViewerFolder(QWidget* owner, std::string& folder) {
    FolderDialogMode = 1;
    Settings.DialogConfirmed = false;
    Fennix_Avi dialog(owner);
    dialog.Form_Load();
    dialog.exec();
    if (!Settings.DialogConfirmed) return false;
    folder = Settings.FrameFolder();
    return true;
}

}  // namespace fennix
