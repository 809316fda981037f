#include "ui/output/Fennix_View.h"

#include <QAbstractButton>
#include <QCursor>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QScreen>
#include <QTimer>

#include "core/Prompts.h"
#include "core/Translation.h"
#include "media/FrameSequence.h"
#include "model/Settings.h"
#include "model/ViewerLayout.h"
#include "ui/common/DialogPlacement.h"
#include "ui/common/PaneWidget.h"
#include "ui/common/WindowAnimation.h"
#include "ui/controls/ButtonGlyphs.h"
#include "ui/controls/Slider.h"
#include "ui/controls/Theme.h"
#include "ui/controls/ccXPButton.h"
#include "ui/controls/clsShadow.h"
#include "ui/controls/ucScrollbar.h"

namespace fennix {

namespace {

Fennix_View* instance = nullptr;

constexpr int kIntervalMin = 10;
constexpr int kIntervalMax = 500;
constexpr int kIntervalStep = 10;
constexpr int kIntervalInitial = 100;
constexpr int32_t kPanelColor = 0xE0E0E0;  // red, green, blue 224
constexpr int32_t kFrameColor = 0xFFFFFF;
constexpr int kFrameTop = 10;
constexpr int kPathHeight = 18;

QString Text(const char* utf8) {
    return QString::fromUtf8(utf8);
}

QString IntervalText(int value) {
    return QString::number(value) + "f/ms";
}

ccXPButton* GlyphButton(QWidget* parent, Glyph glyph, const char* tip) {
    auto* button = new ccXPButton(QString(), parent);
    // A light ink on the dark buttons of a dark palette.
    const QColor ink = theme::IsLight(parent->palette()) ? kGlyphInk : QColor(0xB8, 0xD0, 0xF0);
    button->setIcon(GlyphIcon(glyph, ink));
    button->setIconSize(QSize(16, 16));
    button->setFixedSize(26, 24);
    button->setToolTip(Text(tip));
    return button;
}

// The plain folder chooser of the prompts, standing in when no chooser was
// given. It insists, as the program's chooser does, on a folder that holds
// frame 000.
bool ChooseFolderPlainly(QWidget*, std::string& folder) {
    std::string start = folder;
    for (;;) {
        std::string chosenPath;
        if (!CurrentPrompts().ChooseFolder(Tr("Fennix_View", "フォルダの選択"), start, chosenPath))
            return false;
        if (FolderFrameKind(chosenPath) >= 0) {
            folder = WithTrailingSeparator(chosenPath);
            return true;
        }
        ShowMessage(Tr("Fennix_View", "フォルダの中にモーフ画像データが見つかりません！"),
                    MessageIcon::Information);
        start = chosenPath;
    }
}

}  // namespace

Fennix_View::Fennix_View(QWidget* owner)
    : QDialog(owner),
      player_([this] { return Clock(); }, [this](int index) { return LoadFrame(index); }) {
    instance = this;
    elapsed_.start();
    Clock = [this] { return elapsed_.elapsed(); };
    // The mouse position now, for the opening and closing animations.
    cursorPoint_ = QCursor::pos();
    BuildControls();
    Form_Load();
}

Fennix_View::~Fennix_View() {
    if (instance == this) instance = nullptr;
}

Fennix_View* Fennix_View::Instance() {
    return instance;
}

void Fennix_View::BuildControls() {
    setWindowTitle(Text(Tr("Fennix_View", "モーフィングビューア")));
    setModal(true);

    Pic_B = new PanelWidget(this);
    Pic_B->SetBackColor(theme::PanelColour(palette(), kPanelColor));
    PicMorph.SetBackColor(kFrameColor);
    PicMorphView = new PaneWidget(PicMorph, Pic_B);

    lbl_Path = new QLabel(Pic_B);
    lbl_Path->setTextFormat(Qt::PlainText);

    Strip = new QWidget(this);
    // The frame slider and its counter take what the strip leaves free, so
    // the folder's path has the whole row under the frame.
    FrameSlider = new Slider(0, Strip);
    FrameSlider->setEnabled(false);
    FrameSlider->setMinimumWidth(0);
    FrameSlider->setFixedHeight(kPathHeight);
    lblFrame = new QLabel(Strip);
    lblFrame->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    auto* row = new QHBoxLayout(Strip);
    row->setContentsMargins(4, 3, 4, 3);
    row->setSpacing(2);
    Cmd_File = GlyphButton(Strip, Glyph::Folder, Tr("Fennix_View", "ﾌｫﾙﾀﾞを開く"));
    Cmd_Play = GlyphButton(Strip, Glyph::Play, Tr("Fennix_View", "ﾌﾟﾚｲ"));
    Cmd_Pause = GlyphButton(Strip, Glyph::Pause, Tr("Fennix_View", "ﾎﾟｰｽﾞ"));
    Cmd_Loop = GlyphButton(Strip, Glyph::Loop, Tr("Fennix_View", "ﾙｰﾌﾟ"));
    lbl = new QLabel(Text(Tr("Fennix_View", "ｲﾝﾀｰﾊﾞﾙ")), Strip);
    HS_Interval = new ucScrollbar(Qt::Horizontal, Strip);
    HS_Interval->setRange(kIntervalMin, kIntervalMax);
    HS_Interval->setSingleStep(kIntervalStep);
    HS_Interval->SetLargeChange(kIntervalStep);
    HS_Interval->SetValue(kIntervalInitial);
    HS_Interval->setFixedWidth(33);
    LblInterval = new QLabel(IntervalText(kIntervalInitial), Strip);
    for (QWidget* w : {static_cast<QWidget*>(Cmd_File), static_cast<QWidget*>(Cmd_Play),
                       static_cast<QWidget*>(Cmd_Pause), static_cast<QWidget*>(Cmd_Loop)})
        row->addWidget(w);
    row->addSpacing(10);
    row->addWidget(lbl);
    row->addSpacing(4);
    row->addWidget(HS_Interval);
    row->addSpacing(4);
    row->addWidget(LblInterval);
    row->addSpacing(6);
    row->addWidget(FrameSlider, 1);
    row->addSpacing(4);
    row->addWidget(lblFrame);

    PlayTimer = new QTimer(this);
    PlayTimer->setSingleShot(true);
    PlayTimer->setTimerType(Qt::PreciseTimer);

    connect(Cmd_File, &QPushButton::clicked, this, &Fennix_View::Cmd_File_Click);
    connect(Cmd_Play, &QPushButton::clicked, this, &Fennix_View::Cmd_Play_Click);
    connect(Cmd_Pause, &QPushButton::clicked, this, &Fennix_View::Cmd_Pause_Click);
    connect(Cmd_Loop, &QPushButton::clicked, this, &Fennix_View::Cmd_Loop_Click);
    connect(HS_Interval, &ucScrollbar::Change, this, &Fennix_View::HS_Interval_Change);
    connect(FrameSlider, &Slider::Change, this, [this](int k) { JumpToFrame(k); });
    connect(PlayTimer, &QTimer::timeout, this, &Fennix_View::PlayTimer_Timer);
    for (QAbstractButton* button : findChildren<QAbstractButton*>()) button->installEventFilter(this);
}

void Fennix_View::Form_Load() {
    // Until a frame is loaded the frame is an empty white area that fills
    // the panel's design size.
    PicMorph.SetSize(kViewerEmptyFrameWidth, kViewerEmptyFrameHeight);
    if (Settings.ViewerFromMenu) {
        SetPlayControlsEnabled(false);
    } else {
        Cmd_File->hide();
        folderPath_ = WithTrailingSeparator(Settings.FrameFolder());
        kind_ = FrameKindFromSaveKind(Settings.SaveKind);
        lastFrame_ = LastFrameIndex(folderPath_, kind_);
        LoadFrame(0);  // a missing frame 000 leaves the frame empty
    }
    ApplyLayout(2);
    clsShadow::Attach(this, 130, 20);
    // A stored interval outside the control's range is left alone; the
    // control then keeps its initial value.
    if (Settings.PlayInterval >= kIntervalMin && Settings.PlayInterval <= kIntervalMax)
        HS_Interval->SetValue(Settings.PlayInterval);
    player_.SetInterval(HS_Interval->Value());
}

void Fennix_View::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (opened_) return;
    opened_ = true;
    ZoomFromCursor(this, cursorPoint_);
}

void Fennix_View::done(int result) {
    player_.Stop();
    PlayTimer->stop();
    if (isVisible()) ZoomToCursor(this, cursorPoint_);
    QDialog::done(result);
}

void Fennix_View::Cmd_File_Click() {
    // The run waits while the chooser is open and goes on when it is
    // cancelled.
    PlayTimer->stop();
    Settings.DialogConfirmed = false;
    std::string folder = Settings.FrameFolder();
    const bool confirmed =
        ChooseFolder ? ChooseFolder(this, folder) : ChooseFolderPlainly(this, folder);
    if (!confirmed) {
        Reschedule();
        return;
    }
    Settings.FrameFolder() = folder;
    Settings.DialogConfirmed = true;
    // A run never goes on in another folder than it started in.
    if (player_.Playing() || player_.Looping()) Cmd_Pause_Click();

    folderPath_ = WithTrailingSeparator(folder);
    shownPath_ = QString::fromStdString(folderPath_);
    ShowPath();
    const int kind = FolderFrameKind(folderPath_);
    if (kind < 0) return;
    kind_ = kind;
    lastFrame_ = LastFrameIndex(folderPath_, kind_);
    LoadFrame(0);
    ApplyLayout(3);
    SetPlayControlsEnabled(true);
}

void Fennix_View::Cmd_Play_Click() {
    player_.Play(HS_Interval->Value());
    Reschedule();
    ShowFramePosition();
}

void Fennix_View::Cmd_Pause_Click() {
    player_.Stop();
    PlayTimer->stop();
    Cmd_Play->setEnabled(true);
    ShowFramePosition();
}

void Fennix_View::Cmd_Loop_Click() {
    Cmd_Play->setEnabled(false);
    player_.Loop(HS_Interval->Value());
    Reschedule();
    ShowFramePosition();
}

void Fennix_View::HS_Interval_Change(int value) {
    LblInterval->setText(IntervalText(value));
    player_.SetInterval(value);
    Settings.PlayInterval = static_cast<int16_t>(value);
    if (player_.Playing()) Reschedule();
}

void Fennix_View::PlayTimer_Timer() {
    player_.Tick();
    // The frame after this one is read while this one is shown.
    if (player_.Playing()) {
        const std::string next = FramePath(folderPath_, player_.Counter(), kind_);
        if (!next.empty()) prefetch_.Ask(next, PicMorphView->FitBox());
    } else {
        prefetch_.Clear();
    }
    Reschedule();
    ShowFramePosition();
}

bool Fennix_View::LoadFrame(int index) {
    const std::string path = FramePath(folderPath_, index, kind_);
    if (path.empty()) return false;
    if (auto ahead = prefetch_.Take(path)) {
        if (ahead->picture.isNull()) return false;
        PicMorphView->ExpectFitted(ahead->shown);
        PicMorph.SetPicture(ahead->picture);
    } else if (!PicMorph.LoadPicture(path)) {
        return false;
    }
    PlaceFrame();
    PicMorph.Refresh();
    shownFrame_ = index;
    ShowFramePosition();
    return true;
}

bool Fennix_View::JumpToFrame(int k) {
    if (player_.Playing() || k < 0 || k > lastFrame_) return false;
    return LoadFrame(k);
}

void Fennix_View::ShowFramePosition() {
    const bool known = lastFrame_ >= 0 && shownFrame_ >= 0;
    lblFrame->setText(known ? QString("%1 / %2").arg(shownFrame_).arg(lastFrame_) : QString());
    if (FrameSlider->Max() != std::max(lastFrame_, 0)) FrameSlider->SetMax(std::max(lastFrame_, 0));
    if (known) FrameSlider->SetValue(shownFrame_);
    FrameSlider->setEnabled(known && !player_.Playing());
}

void Fennix_View::keyPressEvent(QKeyEvent* event) {
    // Left and Right step one frame while nothing plays.
    if (event->key() == Qt::Key_Left || event->key() == Qt::Key_Right) {
        if (shownFrame_ >= 0) JumpToFrame(shownFrame_ + (event->key() == Qt::Key_Left ? -1 : 1));
        return;
    }
    QDialog::keyPressEvent(event);
}

bool Fennix_View::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Left || key == Qt::Key_Right) {
            keyPressEvent(static_cast<QKeyEvent*>(event));
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

QSize Fennix_View::ShownFrameSize() const {
    return PicMorphView->Fitted() ? PicMorphView->size() : QSize(PicMorph.Width(), PicMorph.Height());
}

void Fennix_View::PlaceFrame() {
    PicMorph.Move(std::max((Pic_B->width() - ShownFrameSize().width()) / 2, 0), kFrameTop);
}

void Fennix_View::ApplyLayout(int verticalDivisor) {
    const QScreen* shown = screen() ? screen() : QGuiApplication::primaryScreen();
    const QSize screenSize = shown ? shown->geometry().size() : QSize(1024, 768);
    const QRect available = shown ? shown->availableGeometry() : QRect(QPoint(0, 0), screenSize);
    // A frame larger than the screen is shown scaled down, so the whole
    // window, its controls included, stays on the screen.
    PicMorphView->SetFitBox(ViewerFrameBox(available.width(), available.height()));
    PicMorphView->Sync();
    const QSize frame = ShownFrameSize();
    const ViewerLayout layout = ComputeViewerLayout(frame.width(), frame.height(),
                                                    screenSize.width(), screenSize.height(),
                                                    verticalDivisor);
    Pic_B->setGeometry(0, 0, layout.panelWidth, layout.panelHeight);
    Strip->setGeometry(0, layout.panelHeight, layout.windowWidth, kViewerStripHeight);
    // The bottom row of the panel: the folder's path, as wide as the frame's
    // room.
    const int row = layout.panelWidth - kViewerPanelMarginX;
    const int rowTop = layout.panelHeight - kPathHeight - 6;
    lbl_Path->setGeometry(kViewerPanelMarginX / 2, rowTop, row, kPathHeight);
    if (QLayout* strip = Strip->layout()) strip->activate();
    PlaceFrame();
    ShowPath();
    setFixedSize(layout.windowWidth, layout.windowHeight);
    move(KeepInside(QPoint(layout.left, layout.top), size(), available));
}

void Fennix_View::ShowPath() {
    // A long path loses its middle; the whole path is the tooltip.
    lbl_Path->setToolTip(shownPath_);
    lbl_Path->setText(
        lbl_Path->fontMetrics().elidedText(shownPath_, Qt::ElideMiddle, lbl_Path->width()));
}

void Fennix_View::SetPlayControlsEnabled(bool enabled) {
    Cmd_Play->setEnabled(enabled);
    Cmd_Loop->setEnabled(enabled);
    Cmd_Pause->setEnabled(enabled);
    HS_Interval->setEnabled(enabled);
}

void Fennix_View::Reschedule() {
    const int64_t wait = player_.MsUntilNextPass();
    if (wait < 0)
        PlayTimer->stop();
    else
        PlayTimer->start(static_cast<int>(wait));
}

void ShowFrameViewer(QWidget* owner, Fennix_View::FolderChooser chooser) {
    if (Fennix_View* open = Fennix_View::Instance()) {
        open->raise();
        open->activateWindow();
        return;
    }
    Fennix_View view(owner);
    if (chooser) view.ChooseFolder = std::move(chooser);
    view.exec();
}

}  // namespace fennix
