#include "ui/prepare/Fennix_Pic.h"

#include <QApplication>
#include <QCheckBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QEventLoop>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QTimer>
#include <QUrl>
#include <cstdio>

#include "core/Paths.h"
#include "core/Prompts.h"
#include "core/SafeWrite.h"
#include "core/Translation.h"
#include "media/ImageFile.h"
#include "model/ImagePreparation.h"
#include "model/LaunchFiles.h"
#include "model/Settings.h"
#include "model/TempImages.h"
#include "ui/common/PaneWidget.h"
#include "ui/common/cFileDlg.h"
#include "ui/controls/GFXFrameX.h"
#include "ui/controls/ccXPButton.h"
#include "ui/controls/ucScrollbar.h"
#include "ui/controls/ucUpDown.h"
#include "ui/prepare/Fennix_Tri.h"

namespace fennix {

namespace {

constexpr int32_t kViewportGrey = 224 | (224 << 8) | (224 << 16);
constexpr int kSlotWidth = 304;
constexpr int kMargin = 12;

QString Text(const char* utf8) {
    return QString::fromUtf8(utf8);
}

QString SizeText(int width, int height) {
    return QString::fromStdString(std::to_string(width) + " * " + std::to_string(height));
}

// The filter of the pick dialog: the classic picture types first, then the
// other pictures Linux users have.
// Marked here, translated where the dialog is shown: a constant is made
// before the catalogue is installed.
constexpr const char* kPictureFilter =
    TrMark("Fennix_Pic",
           "画像ﾌｧｲﾙ (*.bmp;*.jpg;*.gif;*.dib;*.wmf)|*.bmp;*.jpg;*.gif;*.dib;*.wmf|"
           "その他の画像 (*.png;*.tif;*.tiff;*.webp;*.jpeg)|*.png;*.tif;*.tiff;*.webp;*.jpeg");

}  // namespace

Fennix_Pic::Fennix_Pic(QWidget* parent) : ProgramDialog(parent) {
    setWindowTitle(Text(Tr("Fennix_Pic", "画像の選択")));
    setModal(true);
    setFixedSize(kMargin * 3 + kSlotWidth * 2, 604);
    BuildSlot(0, kMargin);
    BuildSlot(1, kMargin * 2 + kSlotWidth);

    cmd_OK = new ccXPButton("OK", this);
    cmd_OK->setToolTip(Text(Tr("Fennix_Pic", "二つの画像で新しいモーフィングを始めます")));
    cmd_Can = new ccXPButton(Text(Tr("Fennix_Pic", "ｷｬﾝｾﾙ")), this);
    cmd_Can->setToolTip(Text(Tr("Fennix_Pic", "何もせずに閉じます")));
    cmd_OK->setGeometry(width() - kMargin - 2 * 96 - 8, 564, 96, 28);
    cmd_Can->setGeometry(width() - kMargin - 96, 564, 96, 28);
    connect(cmd_OK, &QPushButton::clicked, this, [this] { cmd_OK_Click(); });
    connect(cmd_Can, &QPushButton::clicked, this, [this] { cmd_Can_Click(); });

    RunTrimming = [](Fennix_Tri& dialog) { dialog.exec(); };
    // A picture dropped on either half is picked for that side.
    setAcceptDrops(true);
    Form_Load();
}

Fennix_Pic::~Fennix_Pic() {
    // The controls go while the dialog is still whole: QWidget's own
    // destructor would delete them only after the panes they show have
    // gone, and a control losing its focus on the way (a field finishing
    // its edit) would call a handler of a dialog no longer there.
    for (QObject* child : findChildren<QObject*>()) disconnect(child, nullptr, this, nullptr);
    qDeleteAll(findChildren<QWidget*>(Qt::FindDirectChildrenOnly));
}

void Fennix_Pic::BuildSlot(int s, int left) {
    Slot& t = slot[s];
    t.cmd_Sel = new ccXPButton(
        Text(s == 0 ? Tr("Fennix_Pic", "開始画像の選択") : Tr("Fennix_Pic", "終了画像の選択")),
        this);
    t.cmd_Sel->setGeometry(left, kMargin, kSlotWidth, 28);
    t.cmd_Sel->setToolTip(Text(s == 0 ? Tr("Fennix_Pic", "開始画像のファイルを選びます")
                                      : Tr("Fennix_Pic", "終了画像のファイルを選びます")));

    t.PicBack = new PanelWidget(this);
    t.PicBack->SetBackColor(kViewportGrey);
    t.PicBack->setGeometry(left, 48, 304, 304);
    // The pane is seen through the 300 × 300 viewport only, never in the
    // box's grey edge beyond the scroll bars.
    auto* clip = new QWidget(t.PicBack);
    clip->setGeometry(0, 0, kViewportSize, kViewportSize);
    t.PaneView = new PaneWidget(t.P, clip);
    t.VScroll = new ucScrollbar(Qt::Vertical, t.PicBack);
    t.HScroll = new ucScrollbar(Qt::Horizontal, t.PicBack);
    t.Cmd_D = new QWidget(t.PicBack);
    t.Cmd_D->setAutoFillBackground(true);

    t.lbl_Size = new QLabel(this);
    t.lbl_Size->setGeometry(left, 356, 150, 20);
    t.chk_Whole = new QCheckBox(Text(Tr("Fennix_Pic", "全体表示")), this);
    t.chk_Whole->setGeometry(left + 204, 356, 100, 20);
    // Unticked, the specified view: the picture at its own size, scrolled
    // and dragged. Ticked once, it stays the user's choice.
    t.chk_Whole->setChecked(Settings.WholePictureShown);
    t.PaneView->SetFitBox(Settings.WholePictureShown ? QSize(kViewportSize, kViewportSize) : QSize());

    t.lbl_sam = new QLabel(Text(Tr("Fennix_Pic", "ｻﾑﾈｲﾙ")), this);
    t.lbl_sam->setGeometry(left, 380, 64, 18);
    t.ThumbnailView = new PaneWidget(t.P1, this);
    t.P1.Move(left, 400);
    t.lbl_sam->hide();
    t.P1.SetVisible(false);

    auto* trim = new GFXFrameX(Text(Tr("Fennix_Pic", "ﾄﾘﾐﾝｸﾞｻｲｽﾞ")), this);
    trim->setGeometry(left + 72, 380, 232, 66);
    auto* widthLabel = new QLabel(Text(Tr("Fennix_Pic", "幅")), trim);
    widthLabel->setGeometry(8, 30, 18, 22);
    t.txt_w = new QLineEdit(trim);
    t.txt_w->setGeometry(26, 28, 52, 24);
    auto* heightLabel = new QLabel(Text(Tr("Fennix_Pic", "高さ")), trim);
    heightLabel->setGeometry(84, 30, 30, 22);
    t.txt_h = new QLineEdit(trim);
    t.txt_h->setGeometry(114, 28, 52, 24);
    t.Cmd_Triming = new ccXPButton(Text(Tr("Fennix_Pic", "ﾄﾘﾐﾝｸﾞ")), trim);
    t.Cmd_Triming->setToolTip(Text(Tr("Fennix_Pic", "画像の一部を切り抜きます")));
    t.Cmd_Triming->setGeometry(170, 26, 56, 28);

    auto* reduce = new GFXFrameX(Text(Tr("Fennix_Pic", "画像の縮小")), this);
    reduce->setGeometry(left + 72, 452, 232, 66);
    t.VS_Stretch = new ucUpDown(10, 100, 10, reduce);
    t.VS_Stretch->setGeometry(8, 22, 18, 38);
    t.lbl_Stretch = new QLabel(reduce);
    t.lbl_Stretch->setGeometry(30, 22, 44, 18);
    t.lbl_Size_S = new QLabel(reduce);
    t.lbl_Size_S->setGeometry(30, 42, 110, 18);
    t.txt_Stretch = new QLineEdit(reduce);
    t.txt_Stretch->setGeometry(80, 18, 80, 24);
    t.txt_Stretch->setPlaceholderText(Text(Tr("Fennix_Pic", "％か幅")));
    t.txt_Stretch->setToolTip(
        Text(Tr("Fennix_Pic", "縮小率（％）か、縮小後の幅（ピクセル）を入力します")));
    t.Cmd_Stretch = new ccXPButton(Text(Tr("Fennix_Pic", "縮小")), reduce);
    t.Cmd_Stretch->setToolTip(
        Text(Tr("Fennix_Pic", "選んだままの画像を入力した率か幅に縮小します")));
    t.Cmd_Stretch->setGeometry(170, 26, 56, 28);

    t.cmd_Doki = new ccXPButton(Text(s == 0 ? Tr("Fennix_Pic", "ｻｲｽﾞを終了画像に合わせる")
                                            : Tr("Fennix_Pic", "ｻｲｽﾞを開始画像に合わせる")),
                                this);
    t.cmd_Doki->setGeometry(left, 524, 228, 28);
    t.cmd_Doki->setToolTip(Text(s == 0
                                    ? Tr("Fennix_Pic", "開始画像を終了画像と同じ大きさにします")
                                    : Tr("Fennix_Pic", "終了画像を開始画像と同じ大きさにします")));
    t.Cmd_Reset = new ccXPButton(Text(Tr("Fennix_Pic", "ﾘｾｯﾄ")), this);
    t.Cmd_Reset->setToolTip(Text(Tr("Fennix_Pic", "選んだファイルのままの画像に戻します")));
    t.Cmd_Reset->setGeometry(left + 236, 524, 68, 28);

    for (QWidget* w : {static_cast<QWidget*>(t.Cmd_Triming), static_cast<QWidget*>(t.txt_w),
                       static_cast<QWidget*>(t.txt_h), static_cast<QWidget*>(t.cmd_Doki),
                       static_cast<QWidget*>(t.VS_Stretch), static_cast<QWidget*>(t.txt_Stretch),
                       static_cast<QWidget*>(t.Cmd_Stretch),
                       static_cast<QWidget*>(t.Cmd_Reset)})
        w->setEnabled(false);

    connect(t.cmd_Sel, &QPushButton::clicked, this, [this, s] { cmd_Sel_Click(s); });
    connect(t.VScroll, &ucScrollbar::Change, this, [this, s] { VScroll_Change(s); });
    connect(t.HScroll, &ucScrollbar::Change, this, [this, s] { HScroll_Change(s); });
    connect(t.PaneView, &PaneWidget::MouseDown, this,
            [this, s](Qt::MouseButton b, QPoint p) { P_MouseDown(s, b, p); });
    connect(t.PaneView, &PaneWidget::MouseMove, this,
            [this, s](Qt::MouseButtons, QPoint p) { P_MouseMove(s, p); });
    connect(t.PaneView, &PaneWidget::MouseUp, this, [this, s] { P_MouseUp(s); });
    connect(t.VS_Stretch, &ucUpDown::Change, this, [this, s] { VS_Stretch_Change(s); });
    connect(t.txt_Stretch, &QLineEdit::editingFinished, this, [this, s] { txt_Stretch_Change(s); });
    connect(t.chk_Whole, &QCheckBox::clicked, this, [this, s] { chk_Whole_Click(s); });
    connect(t.Cmd_Stretch, &QPushButton::clicked, this, [this, s] { Cmd_Stretch_Click(s); });
    connect(t.cmd_Doki, &QPushButton::clicked, this, [this, s] { cmd_Doki_Click(s); });
    connect(t.Cmd_Reset, &QPushButton::clicked, this, [this, s] { Cmd_Reset_Click(s); });
    connect(t.Cmd_Triming, &QPushButton::clicked, this, [this, s] { Cmd_Triming_Click(s); });
    // Enter in a trim size trims that picture.
    SetEnterButton(t.txt_w, t.Cmd_Triming);
    SetEnterButton(t.txt_h, t.Cmd_Triming);
    // Enter in the typed reduction takes it over and reduces.
    SetEnterButton(t.txt_Stretch, t.Cmd_Stretch);
}

void Fennix_Pic::Form_Load() {
    StartSourcePath.clear();
    EndSourcePath.clear();
    for (int s = 0; s < 2; ++s) {
        Slot& t = slot[s];
        t.P.Move(0, 0);
        t.P.SetSize(kViewportSize, kViewportSize);
        t.VScroll->setGeometry(284, 0, 16, 284);
        t.HScroll->setGeometry(0, 284, 284, 16);
        t.Cmd_D->setGeometry(284, 284, 16, 16);
        t.VScroll->raise();
        t.HScroll->raise();
        t.Cmd_D->raise();
        t.P.SetBackColor(0);
        t.P.Cls();
        t.P.Refresh();
        t.VS_Stretch->SetValue(100);
        t.lbl_Size->clear();
        t.lbl_Size_S->clear();
    }
    OpenFromCursor(frameGeometry().size());
}

void Fennix_Pic::done(int result) {
    ZoomBackToCursor();
    QDialog::done(result);
}

void Fennix_Pic::ShowSizes(int s, bool withPrefix) {
    Slot& t = slot[s];
    const QString size = SizeText(t.P.Width(), t.P.Height());
    t.lbl_Size->setText(withPrefix ? "Size = " + size : size);
    t.lbl_Size_S->setText(size);
}

bool Fennix_Pic::LoadSlot(int s, const std::string& path) {
    // A file that cannot be read (not a picture, cut short, too large, a
    // FIFO or a device) is refused with its reason; the slot keeps what it
    // showed.
    ImageFailure why = ImageFailure::None;
    const std::optional<QImage> image = ReadPicture(path, why);
    if (!image) {
        ShowMessage(path + Tr("Fennix_Pic", "が無効です。\n") + ImageFailureReason(why),
                    MessageIcon::Exclamation);
        return false;
    }
    Slot& t = slot[s];
    t.P.ClearPicture();
    t.P.SetPicture(*image);
    t.P.Refresh();
    // The file is decoded once: the source copy shares the pane's picture.
    t.Ps.SetPicture(t.P.Picture());
    t.BaseWidth = t.P.Width();
    t.BaseHeight = t.P.Height();
    return true;
}

std::optional<QImage> Fennix_Pic::ReadPicture(const std::string& path, ImageFailure& why) {
    // A large photo takes seconds to decode and a metafile up to its time
    // budget: the window is repainted and moved meanwhile.
    std::optional<QImage> image;
    const bool wasEnabled = isEnabled();
    setEnabled(false);
    QApplication::setOverrideCursor(Qt::BusyCursor);
    QEventLoop wait;
    reading_.Start([&](BackgroundJob&) { image = LoadImageFile(path, &why); },
                   [&] { wait.quit(); });
    wait.exec();
    reading_.Finish();  // a wait cut short by the program quitting
    QApplication::restoreOverrideCursor();
    setEnabled(wasEnabled);
    return image;
}

void Fennix_Pic::EnableAfterPick(int s) {
    Slot& t = slot[s];
    t.Cmd_Triming->setEnabled(true);
    t.Cmd_Stretch->setEnabled(true);
    t.VS_Stretch->setEnabled(true);
    t.txt_Stretch->setEnabled(true);
    t.VS_Stretch->SetValue(100);
    t.Cmd_Reset->setEnabled(true);
    t.txt_w->setEnabled(true);
    t.txt_h->setEnabled(true);
}

void Fennix_Pic::cmd_Sel_Click(int s) {
    cFileDlg dialog;
    dialog.DlgTitle =
        s == 0 ? Tr("Fennix_Pic", "開始画像の選択") : Tr("Fennix_Pic", "終了画像の選択");
    dialog.Filter = Tr("Fennix_Pic", kPictureFilter);
    Settings.DialogFolder() = Settings.SourceFolder();
    std::string path, title;
    if (!dialog.VBGetOpenFileName(path, title)) return;
    PickPicture(s, path);
}

bool Fennix_Pic::PickPicture(int s, const std::string& path) {
    if (picking_) return false;
    picking_ = true;
    const bool read = LoadSlot(s, path);
    picking_ = false;
    if (!read) return false;
    Slot& t = slot[s];
    Settings.SourceFolder() = PathFolder(path);
    ShowSizes(s, true);
    SourcePath(s) = path;
    UpdateScrollBars(s);
    EnableAfterPick(s);
    if (!StartSourcePath.empty() && !EndSourcePath.empty()) {
        slot[0].cmd_Doki->setEnabled(true);
        slot[1].cmd_Doki->setEnabled(true);
    }

    const int sw = t.P.Width(), sh = t.P.Height();
    if (sw > kViewportSize && sh > kViewportSize) {
        const QSize thumbnail = ThumbnailSize(sw, sh);
        t.P1.SetPicture(ScaleNearest(t.P.Layer(), thumbnail.width(), thumbnail.height()));
        t.P1.SetVisible(true);
        t.lbl_sam->show();
        t.P1.Refresh();
    }
    return true;
}

std::vector<std::string> Fennix_Pic::DroppedFiles(const QMimeData* data) {
    std::vector<std::string> files;
    if (!data || !data->hasUrls()) return files;
    for (const QUrl& url : data->urls())
        files.push_back(url.isLocalFile() ? QFile::encodeName(url.toLocalFile()).toStdString()
                                          : url.toString().toStdString());
    return files;
}

int Fennix_Pic::DropSide(QPoint position) const {
    return position.x() < width() / 2 ? 0 : 1;
}

void Fennix_Pic::dragEnterEvent(QDragEnterEvent* event) {
    if (!picking_ && event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void Fennix_Pic::dropEvent(QDropEvent* event) {
    const std::vector<std::string> files = DroppedFiles(event->mimeData());
    const int side = DropSide(event->position().toPoint());
    event->acceptProposedAction();
    // Picked once the drag has ended: the source waits for the drop to
    // return, and reading the picture or a message would keep it waiting.
    QTimer::singleShot(0, this, [this, files, side] {
        const std::string refusal = PictureDropRefusal(files);
        if (!refusal.empty()) {
            ShowMessage(refusal, MessageIcon::Exclamation);
            return;
        }
        PickPicture(side, files.front());
    });
}

void Fennix_Pic::UpdateScrollBars(int s) {
    Slot& t = slot[s];
    if (t.PaneView->Fitted()) {
        // Shown whole: nothing to scroll; the picture sits in the middle.
        t.HScroll->SetValue(0);
        t.VScroll->SetValue(0);
        t.HScroll->hide();
        t.VScroll->hide();
        t.Cmd_D->hide();
        const QSize shown = t.PaneView->size();
        t.P.Move((kViewportSize - shown.width()) / 2, (kViewportSize - shown.height()) / 2);
        t.Centred = true;
        return;
    }
    if (t.Centred) {
        // Back from the whole view: the pane goes where its bars say.
        t.P.Move(-t.HScroll->Value(), -t.VScroll->Value());
        t.Centred = false;
    }
    const ScrollLayout layout = ScrollLayoutFor(t.P.Width(), t.P.Height());
    t.Cmd_D->show();
    if (layout.horizontal) {
        t.HScroll->SetMax(layout.horizontalMax);
        t.HScroll->show();
        t.HScroll->SetValue(0);
    } else {
        t.HScroll->hide();
    }
    if (layout.vertical) {
        t.VScroll->SetMax(layout.verticalMax);
        t.VScroll->show();
        t.VScroll->SetValue(0);
    } else {
        t.VScroll->hide();
    }
    if (!layout.horizontal && !layout.vertical) t.Cmd_D->hide();
}

void Fennix_Pic::VScroll_Change(int s) {
    Slot& t = slot[s];
    t.P.Move(t.P.Left(), -t.VScroll->Value());
}

void Fennix_Pic::HScroll_Change(int s) {
    Slot& t = slot[s];
    t.P.Move(-t.HScroll->Value(), t.P.Top());
}

void Fennix_Pic::P_MouseDown(int s, Qt::MouseButton button, QPoint cursor) {
    Slot& t = slot[s];
    if (button != Qt::LeftButton || t.PaneView->Fitted()) return;
    t.Drag = 1;
    t.GrabX = static_cast<int16_t>(cursor.x() - t.P.Left());
    t.GrabY = static_cast<int16_t>(cursor.y() - t.P.Top());
}

void Fennix_Pic::P_MouseMove(int s, QPoint cursor) {
    Slot& t = slot[s];
    if (t.Drag != 1) return;
    t.P.Move(cursor.x() - t.GrabX, cursor.y() - t.GrabY);
    // The bars keep their values within range; where a value changes, its
    // notification puts the pane at that value.
    t.VScroll->SetValue(-t.P.Top());
    t.HScroll->SetValue(-t.P.Left());
}

void Fennix_Pic::P_MouseUp(int s) {
    slot[s].Drag = 0;
}

void Fennix_Pic::VS_Stretch_Change(int s) {
    Slot& t = slot[s];
    t.TargetWidth = 0;
    const int v = t.VS_Stretch->Value();
    t.lbl_Stretch->setText(QString::number(v) + "%");
    const QSize reduced = ReducedSize(v, t.BaseWidth, t.BaseHeight);
    if (reduced.width() == 0)
        t.lbl_Size_S->clear();
    else
        t.lbl_Size_S->setText(SizeText(reduced.width(), reduced.height()));
}

void Fennix_Pic::txt_Stretch_Change(int s) {
    Slot& t = slot[s];
    const std::string text = t.txt_Stretch->text().toStdString();
    const auto typed = TypedReduction(text, t.BaseWidth);
    if (!typed) return;
    if (!typed->met && t.UnmetReduction != text) {
        // Said once for each text (the field loses its focus to the message).
        t.UnmetReduction = text;
        ShowMessage(
            Format(
                Tr("Fennix_Pic",
                   "縮小率は 10 から 100 ％まで、幅は %1 から %2 ピクセルまでで入力してください。"),
                {std::to_string(ReducedSize(10, t.BaseWidth, 1).width()),
                 std::to_string(t.BaseWidth)}),
            MessageIcon::Exclamation);
    }
    t.VS_Stretch->SetValue(typed->percent);
    // A typed width is met exactly, not only to the nearest whole percent.
    t.TargetWidth = typed->width;
    if (t.TargetWidth > 0) {
        const QSize reduced = ReducedToWidth(t.TargetWidth, t.BaseWidth, t.BaseHeight);
        t.lbl_Size_S->setText(SizeText(reduced.width(), reduced.height()));
    }
}

void Fennix_Pic::chk_Whole_Click(int s) {
    Slot& t = slot[s];
    Settings.WholePictureShown = t.chk_Whole->isChecked();
    t.PaneView->SetFitBox(t.chk_Whole->isChecked() ? QSize(kViewportSize, kViewportSize)
                                                    : QSize());
    UpdateScrollBars(s);
}

void Fennix_Pic::Cmd_Stretch_Click(int s) {
    Slot& t = slot[s];
    const int v = t.VS_Stretch->Value();
    if ((v == 100 && t.TargetWidth == 0) || SourcePath(s).empty()) return;
    const QSize reduced = t.TargetWidth > 0
                              ? ReducedToWidth(t.TargetWidth, t.Ps.Width(), t.Ps.Height())
                              : ReducedSize(v, t.Ps.Width(), t.Ps.Height());
    t.P.SetSize(reduced.width(), reduced.height());
    t.P.ClearPicture();
    const QImage scaled = ScaleNearest(t.Ps.Layer(), reduced.width(), reduced.height());
    if (!scaled.isNull()) t.P.SetPicture(scaled);
    t.P.Refresh();
    t.lbl_Size->setText("Size = " + SizeText(reduced.width(), reduced.height()));
    UpdateScrollBars(s);
}

void Fennix_Pic::cmd_Doki_Click(int s) {
    Slot& t = slot[s];
    const Slot& o = slot[1 - s];
    Scratch.ClearPicture();
    Scratch.SetSize(t.P.Width(), t.P.Height());
    Scratch.Layer() = t.P.Layer().copy();

    // Only the drawn surface takes the new size; the pane's picture (what
    // trimming starts from) stays as it was.
    t.P.SetSize(o.P.Width(), o.P.Height());
    const QImage scaled = ScaleAveraged(Scratch.Layer(), o.P.Width(), o.P.Height());
    if (!scaled.isNull()) t.P.Layer() = scaled;
    t.P.Refresh();
    ShowSizes(s, true);
    t.VS_Stretch->SetValue(100);
    UpdateScrollBars(s);
}

void Fennix_Pic::Cmd_Reset_Click(int s) {
    if (SourcePath(s).empty() || !LoadSlot(s, SourcePath(s))) return;
    EnableAfterPick(s);
    ShowSizes(s, false);
    UpdateScrollBars(s);
}

void Fennix_Pic::Cmd_Triming_Click(int s) {
    Slot& t = slot[s];
    const TrimCheck check =
        CheckTrimSize(t.txt_w->text().toStdString(), t.txt_h->text().toStdString(),
                      !SourcePath(s).empty(), t.P.Width(), t.P.Height());
    if (!check.message.empty()) {
        ShowMessage(check.message, MessageIcon::Information);
        if (check.focus == TrimCheck::Focus::Width) t.txt_w->setFocus();
        if (check.focus == TrimCheck::Focus::Height) t.txt_h->setFocus();
        return;
    }
    TrimSlot = static_cast<int16_t>(s);
    Settings.DialogConfirmed = false;
    TrimWidth = check.width;
    TrimHeight = check.height;
    {
        Fennix_Tri dialog(t.P, TrimWidth, TrimHeight, this);
        RunTrimming(dialog);
    }
    if (!Settings.DialogConfirmed) return;

    t.BaseWidth = t.P.Width();
    t.BaseHeight = t.P.Height();
    t.Ps.SetPicture(t.P.Picture());
    ShowSizes(s, true);
    UpdateScrollBars(s);
    t.VS_Stretch->SetValue(100);
}

void Fennix_Pic::cmd_OK_Click() {
    if (StartSourcePath.empty() || EndSourcePath.empty()) {
        ShowMessage(Tr("Fennix_Pic", "画像を選択してください"), MessageIcon::Information);
        return;
    }
    // Pictures of different sizes would have the end one stretched without
    // a word: the user decides, and No goes back to the dialog.
    if (slot[0].P.Width() != slot[1].P.Width() || slot[0].P.Height() != slot[1].P.Height()) {
        if (ShowMessage(Tr("Fennix_Pic", kSizesDifferQuestion), MessageIcon::Question,
                        MessageButtons::YesNo) != MessageAnswer::Yes)
            return;
        cmd_Doki_Click(1);
    }
    // Each new document gets a pair of its own, so the images of another
    // unsaved document are never overwritten.
    const TempImagePair pair = NextTempImagePair(Settings.TempFolder);
    const std::string paths[2] = {pair.start, pair.end};
    for (int n = 0; n < 2; ++n) {
        if (!slot[n].P.SaveBitmap(paths[n])) {
            // A full disk or an unwritable folder: the prepared pictures
            // stay in the dialog, so nothing is lost and the user can make
            // room and try again.
            if (n == 1) RemoveRegularFile(paths[0]);
            ShowMessage(Format(Tr("Fennix_Pic", "%1に画像を保存できませんでした。"),
                               {PathFolder(paths[n])}),
                        MessageIcon::Exclamation);
            return;
        }
    }
    accept();
    if (Confirmed) Confirmed(paths[0], paths[1]);
}

void Fennix_Pic::cmd_Can_Click() {
    reject();
}

}  // namespace fennix
