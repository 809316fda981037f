#include "ui/output/Fennix_Video.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>

#include "core/AppFolder.h"
#include "core/Paths.h"
#include "core/Prompts.h"
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

namespace fennix {

namespace {

constexpr const char* kNoFrames =
    TrMark("Fennix_Video", "フォルダの中にモーフ画像データが見つかりません！");

// The save dialog's filter of each format, in VideoFormat order.
const char* const kFilterNames[] = {TrMark("Fennix_Video", "MP4 Videoﾌｧｲﾙ"),
                                    TrMark("Fennix_Video", "WebM Videoﾌｧｲﾙ"),
                                    TrMark("Fennix_Video", "GIF ｱﾆﾒｰｼｮﾝ")};

}  // namespace

Fennix_Video::Fennix_Video(QWidget* owner) : ProgramDialog(owner) {
    setModal(true);
    setWindowTitle(Q(Tr("Fennix_Video", "動画ファイルの書き出し")));

    MainPanel = new PanelWidget(this);
    MainPanel->SetBackColor(0xE8E0D8);
    MainPanel->setGeometry(9, 9, 460, 298);

    fraFrames = new GFXFrameX(Q(Tr("Fennix_Video", "ﾓｰﾌｨﾝｸﾞﾃﾞｰﾀ")), MainPanel);
    fraFrames->setGeometry(10, 10, 250, 190);
    fraPre = new PanelWidget(fraFrames);
    fraPre->SetBackColor(0x808080);
    fraPre->setGeometry(10, 26, 105, 105);
    Pic_PreWidget = new PaneWidget(Pic_Pre, fraPre);
    Label(Tr("Fennix_Video", "ﾌｫﾙﾀﾞ ："), fraFrames, 122, 26, 120, 22);
    lbl_Folder = Label("", fraFrames, 122, 50, 122, 22);
    Label(Tr("Fennix_Video", "ﾌﾚｰﾑ数 ："), fraFrames, 122, 106, 64, 22);
    lbl_Flame = Label("", fraFrames, 186, 106, 54, 22);
    lbl_Flame->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    cmd_Folder = new ccXPButton(Q(Tr("Fennix_Video", "ﾌｫﾙﾀﾞの選択")), fraFrames);
    cmd_Folder->setToolTip(Q(Tr("Fennix_Video", "フレームのフォルダを選びます")));
    cmd_Folder->setGeometry(10, 146, 230, 30);

    fraOption = new GFXFrameX(Q(Tr("Fennix_Video", "作成ｵﾌﾟｼｮﾝ")), MainPanel);
    fraOption->setGeometry(270, 10, 180, 234);
    Label(Tr("Fennix_Video", "形式"), fraOption, 10, 26, 46, 22);
    cboFormat = new QComboBox(fraOption);
    cboFormat->setGeometry(60, 26, 110, 22);
    cboFormat->addItems({"MP4 (H.264)", "WebM (VP9)", Q(Tr("Fennix_Video", "GIF ｱﾆﾒｰｼｮﾝ"))});
    Label(Tr("Fennix_Video", "幅"), fraOption, 10, 56, 46, 22);
    txtWidth = Field(fraOption, 60, 56);
    Label(Tr("Fennix_Video", "高さ"), fraOption, 10, 84, 46, 22);
    txtHeight = Field(fraOption, 60, 84);
    Label("fp/s", fraOption, 10, 112, 46, 22);
    txtFPS = Field(fraOption, 60, 112);
    txtFPS->setText(QString::number(kVideoRateDefault));
    VS_FPS = new ucUpDown(kVideoRateMin, kVideoRateMax, kVideoRateDefault, fraOption);
    VS_FPS->setGeometry(120, 106, 17, 34);
    Label(Tr("Fennix_Video", "画質"), fraOption, 10, 146, 46, 22);
    cboQuality = new QComboBox(fraOption);
    cboQuality->setGeometry(60, 146, 110, 22);
    cboQuality->addItems({Q(Tr("Fennix_Video", "高画質")), Q(Tr("Fennix_Video", "標準")),
                          Q(Tr("Fennix_Video", "小さいﾌｧｲﾙ"))});
    cboQuality->setCurrentIndex(1);
    chkPingPong = new QCheckBox(Q(Tr("Fennix_Video", "往復 (逆再生でつなぐ)")), fraOption);
    chkPingPong->setGeometry(10, 178, 164, 22);
    chkPingPong->setToolTip(
        Q(Tr("Fennix_Video", "最後のフレームから先頭へ逆に戻り、継ぎ目なくループします。")));

    Cmd_Export = new ccXPButton(Q(Tr("Fennix_Video", "動画ﾌｧｲﾙの書き出し")), MainPanel);
    Cmd_Export->setToolTip(Q(Tr("Fennix_Video", "フレームから動画ファイルを書き出します")));
    Cmd_Export->setGeometry(10, 214, 250, 30);
    Progress = new GradientProgressBar(MainPanel);
    Progress->setGeometry(10, 264, 338, GradientProgressBar::kHeight);
    Progress->hide();
    cmd_Can = new ccXPButton(Q(Tr("Fennix_Video", "ｷｬﾝｾﾙ")), MainPanel);
    cmd_Can->setToolTip(Q(Tr("Fennix_Video", "ウィンドウを閉じます")));
    cmd_Can->setGeometry(358, 256, 92, 30);

    // The spin and the field show the same rate; a field that is not a
    // rate leaves the spin where it was.
    connect(VS_FPS, &ucUpDown::Change, this, [this](int value) {
        const QSignalBlocker quiet(txtFPS);
        txtFPS->setText(QString::number(value));
    });
    connect(txtFPS, &QLineEdit::textEdited, this, [this](const QString& text) {
        bool ok = false;
        const int value = text.toInt(&ok);
        if (ok && value >= kVideoRateMin && value <= kVideoRateMax) {
            const QSignalBlocker quiet(VS_FPS);
            VS_FPS->SetValue(value);
        }
    });
    for (QLineEdit* field : {txtWidth, txtHeight})
        connect(field, &QLineEdit::textEdited, this, [this] { sizeTyped_ = true; });
    connect(cboFormat, &QComboBox::currentIndexChanged, this, [this] { ShowDefaultSize(); });
    connect(cmd_Folder, &QPushButton::clicked, this, &Fennix_Video::cmd_Folder_Click);
    connect(Cmd_Export, &QPushButton::clicked, this, &Fennix_Video::Cmd_Export_Click);
    connect(cmd_Can, &QPushButton::clicked, this, &Fennix_Video::cmd_Can_Click);
    for (QWidget* field : {txtWidth, txtHeight, txtFPS}) SetEnterButton(field, Cmd_Export);
    SetEnterButton(Cmd_Export);
}

void Fennix_Video::Form_Load() {
    setFixedSize(478, 316);
    std::string start = Settings.FrameFolder();
    if (start.size() > 1 && EndsInSeparator(start)) start.pop_back();
    if (!DirectoryExists(start)) start = ApplicationFolder();
    SetFolder(start);
    OpenFromCursor(size());
}

void Fennix_Video::SetFolder(const std::string& folder) {
    folder_ = folder;
    frames_.clear();
    for (const std::string& name : ListFrameFolder(folder_))
        frames_.push_back(JoinPath(folder_, name));
    // The folder's own name (a run's date and time) in the label, the whole
    // path in its tip.
    const QString path = QFile::decodeName(QByteArray::fromStdString(folder_));
    const QString name = QFile::decodeName(QByteArray::fromStdString(PathFileName(folder_)));
    lbl_Folder->setText(lbl_Folder->fontMetrics().elidedText(name.isEmpty() ? path : name,
                                                             Qt::ElideMiddle, lbl_Folder->width()));
    lbl_Folder->setToolTip(path);
    lbl_Flame->setText(QString::number(frames_.size()));

    const auto first = frames_.empty() ? std::nullopt : LoadImageFile(frames_.front());
    if (!first) {
        // A folder without frames shows no picture rather than the last one.
        Pic_Pre.ClearPicture();
        Pic_Pre.SetSize(0, 0);
        Pic_PreWidget->Sync();
        return;
    }
    const QSize pixels = PreviewPixels(first->width(), first->height());
    Pic_Pre.SetPicture(first->scaled(pixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    Pic_Pre.Move((fraPre->width() - pixels.width()) / 2, (fraPre->height() - pixels.height()) / 2);
    Pic_PreWidget->Sync();
    frameSize_ = first->size();
    sizeTyped_ = false;
    ShowDefaultSize();
}

void Fennix_Video::ShowDefaultSize() {
    if (sizeTyped_ || frameSize_.isEmpty()) return;
    const QSize size = DefaultVideoSize(
        static_cast<VideoFormat>(std::max(cboFormat->currentIndex(), 0)), frameSize_);
    txtWidth->setText(QString::number(size.width()));
    txtHeight->setText(QString::number(size.height()));
}

void Fennix_Video::cmd_Folder_Click() {
    std::string chosen;
    if (CurrentPrompts().ChooseFolder(Tr("Fennix_Video", "フォルダの選択"), folder_, chosen))
        SetFolder(chosen);
}

bool Fennix_Video::ReadOptions(VideoOptions& options) {
    const auto width = FieldToInt16(txtWidth->text().toStdString());
    const auto height = FieldToInt16(txtHeight->text().toStdString());
    if (!width || !height || !FrameSizeAllowed(*width, *height)) {
        ShowMessage(Tr("Fennix_Video", "幅と高さに正しい値を入力してください。"),
                    MessageIcon::Exclamation);
        return false;
    }
    const auto rate = FieldToInt16(txtFPS->text().toStdString());
    if (!rate || *rate < kVideoRateMin || *rate > kVideoRateMax) {
        ShowMessage(Tr("Fennix_Video", "fp/s は 1 から 60 までの値を入力してください。"),
                    MessageIcon::Exclamation);
        return false;
    }
    options.Format = static_cast<VideoFormat>(std::max(cboFormat->currentIndex(), 0));
    options.Width = *width;
    options.Height = *height;
    options.Rate = *rate;
    options.Quality = static_cast<VideoQuality>(std::max(cboQuality->currentIndex(), 0));
    options.PingPong = chkPingPong->isChecked();
    return true;
}

void Fennix_Video::Cmd_Export_Click() {
    if (!HasFirstFrame(folder_)) {
        ShowMessage(Tr("Fennix_Video", kNoFrames), MessageIcon::Information);
        return;
    }
    VideoOptions options;
    if (!ReadOptions(options)) return;

    const std::string extension = VideoExtension(options.Format);
    FileRequest request;
    request.Save = true;
    request.Title = Tr("Fennix_Video", "ﾌｧｲﾙ名を付けて保存");
    // Where the last video went; the AVI files' folder until one has been saved.
    request.Folder = Settings.VideoFolder.empty() ? Settings.AviFolder() : Settings.VideoFolder;
    request.Filters = {Tr("Fennix_Video", kFilterNames[static_cast<int>(options.Format)]),
                       "*." + extension};
    request.FileName = "*." + extension;
    request.DefaultExt = extension;
    request.OverwritePrompt = true;
    const FileAnswer answer = CurrentPrompts().ChooseFile(request);
    if (!answer.Confirmed || answer.Path.empty()) return;
    std::string path = answer.Path.substr(0, answer.Path.find('\0'));
    // A name typed with a video extension chooses that format (and its
    // default size, when the size is the default); any other name gets the
    // chosen format's extension.
    if (const auto typed = VideoFormatOfPath(path)) {
        if (*typed != options.Format) {
            cboFormat->setCurrentIndex(static_cast<int>(*typed));
            if (!ReadOptions(options)) return;
        }
    } else {
        path += "." + extension;
    }
    Settings.VideoFolder = PathFolder(path);

    const VideoResult result = ExportInBackground(path, options);
    if (ClosingProgram()) return;  // stopped for the program to close: nothing to tell
    switch (result.Outcome) {
        case VideoOutcome::Written:
            LastSavedPath = path;
            ShowMessage(Tr("Fennix_Video", "動画ファイルを作成しました!"),
                        MessageIcon::Exclamation);
            break;
        case VideoOutcome::Stopped:
            ShowMessage(Tr("Fennix_Video", "作成を中止しました。"), MessageIcon::Information);
            break;
        default:
            ShowMessage(VideoFailureMessage(result), MessageIcon::Exclamation);
            break;
    }
}

VideoResult Fennix_Video::ExportInBackground(const std::string& path, const VideoOptions& options) {
    // The frames are encoded on a thread of their own: the dialog keeps
    // answering, shows how far the export is, and its ｷｬﾝｾﾙ (or Escape)
    // stops it, leaving no file.
    VideoResult result;
    RunInBackground(job_, Progress, {fraFrames, fraOption, Cmd_Export},
                    [&](const JobReport& report) {
                        result = ExportVideo(frames_, path, options, report);
                    });
    return result;
}

void Fennix_Video::cmd_Can_Click() {
    if (!StopBackgroundJob()) reject();
}

std::string Fennix_Video::StopJobQuestion() const {
    return Tr("Fennix_Video", "動画ファイルを作成中です。中止して閉じますか？");
}

void Fennix_Video::done(int result) {
    // Closing (Escape, the window's close box) while a file is being made
    // stops the export first; the dialog closes once it has ended.
    if (StopBackgroundJob()) return;
    QDialog::done(result);
    ZoomBackToCursor();
}

void ShowVideoExport(QWidget* owner) {
    Fennix_Video dialog(owner);
    dialog.Form_Load();
    dialog.exec();
    // The program was being closed when the export ran: close it now.
    if (dialog.ClosingProgram() && owner) owner->window()->close();
}

}  // namespace fennix
