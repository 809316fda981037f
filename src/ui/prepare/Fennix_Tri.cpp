#include "ui/prepare/Fennix_Tri.h"

#include <QCursor>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QScreen>

#include "core/Prompts.h"
#include "core/Translation.h"
#include "model/ImagePreparation.h"
#include "model/Settings.h"
#include "ui/common/PaneWidget.h"
#include "ui/controls/Theme.h"
#include "ui/controls/ccXPButton.h"

namespace fennix {

namespace {

constexpr int32_t kPanelGrey = 224 | (224 << 8) | (224 << 16);
constexpr int32_t kWhite = 0xFFFFFF;
constexpr int32_t kBlue = 255 << 16;
constexpr int kBorder = 2;

QString Text(const char* utf8) {
    return QString::fromUtf8(utf8);
}

// The viewport's sunken 2-pixel border around its white client area.
class SunkenPanel : public PanelWidget {
  public:
    using PanelWidget::PanelWidget;

  protected:
    void paintEvent(QPaintEvent* event) override {
        PanelWidget::paintEvent(event);
        QPainter painter(this);
        painter.setPen(QColor(0x80, 0x80, 0x80));
        painter.drawLine(0, 0, width() - 1, 0);
        painter.drawLine(0, 0, 0, height() - 1);
        painter.setPen(QColor(0x40, 0x40, 0x40));
        painter.drawLine(1, 1, width() - 2, 1);
        painter.drawLine(1, 1, 1, height() - 2);
        painter.setPen(Qt::white);
        painter.drawLine(0, height() - 1, width() - 1, height() - 1);
        painter.drawLine(width() - 1, 0, width() - 1, height() - 1);
    }
};

}  // namespace

Fennix_Tri::Fennix_Tri(PicturePane& target, int W, int H, QWidget* parent)
    : ProgramDialog(parent), target_(target), W_(W), H_(H) {
    setWindowTitle(Text(Tr("Fennix_Tri", "Fennix 画像のトリミング")));
    setModal(true);
    const QScreen* screen = QGuiApplication::screenAt(QCursor::pos());
    if (!screen) screen = QGuiApplication::primaryScreen();
    const TrimGeometry g = TrimGeometryFor(W, H, target.Picture().size(),
                                           screen ? screen->availableGeometry().size() : QSize());
    scale_ = g.scale;

    Pic_B = new PanelWidget(this);
    Pic_B->SetBackColor(theme::PanelColour(palette(), kPanelGrey));
    Pic_B->setGeometry(0, 0, g.panel.width(), g.panel.height());
    setFixedSize(g.panel);

    PicBack = new SunkenPanel(Pic_B);
    PicBack->SetBackColor(kWhite);
    PicBack->setGeometry(0, 0, g.viewport.width(), g.viewport.height());
    Client = new QWidget(PicBack);
    Client->setGeometry(kBorder, kBorder, g.viewport.width() - 2 * kBorder,
                        g.viewport.height() - 2 * kBorder);

    Pic_m = new PanelWidget(Pic_B);
    Pic_m->SetBackColor(Pic_B->BackColor());
    Pic_m->setGeometry(0, g.viewport.height() + 2, g.panel.width(),
                       g.panel.height() - g.viewport.height() - 2);
    lbl_hint = new QLabel(Text(Tr("Fennix_Tri", "画像をﾄﾞﾗｯｸﾞして枠内にﾄﾘﾐﾝｸﾞ")), Pic_m);
    lbl_hint->setGeometry(6, 4, 190, 20);
    lbl_size = new QLabel(QString::fromStdString(Tr("Fennix_Tri", "ﾄﾘﾐﾝｸﾞのｻｲｽﾞ： ") +
                                                 std::to_string(W) + " * " + std::to_string(H)),
                          Pic_m);
    lbl_size->setGeometry(6, 26, 190, 20);
    const int right = g.panel.width() - 6;
    Cmd_Can = new ccXPButton(Text(Tr("Fennix_Tri", "ｷｬﾝｾﾙ")), Pic_m);
    Cmd_Can->setToolTip(Text(Tr("Fennix_Tri", "切り抜かずに閉じます")));
    Cmd_Can->setGeometry(right - 72, 12, 72, 28);
    cmd_OK = new ccXPButton("OK", Pic_m);
    cmd_OK->setToolTip(Text(Tr("Fennix_Tri", "枠の中の部分を切り抜きます")));
    cmd_OK->setGeometry(right - 72 - 4 - 64, 12, 64, 28);
    cmd_Color = new ccXPButton(Text(Tr("Fennix_Tri", "色")), Pic_m);
    cmd_Color->setToolTip(Text(Tr("Fennix_Tri", "枠の色を選びます")));
    cmd_Color->setGeometry(right - 72 - 4 - 64 - 4 - 40, 12, 40, 28);
    connect(cmd_Color, &QPushButton::clicked, this, [this] { cmd_Color_Click(); });
    connect(cmd_OK, &QPushButton::clicked, this, [this] { cmd_OK_Click(); });
    connect(Cmd_Can, &QPushButton::clicked, this, [this] { Cmd_Can_Click(); });
    // The window opens with OK focused: Enter confirms the crop.
    SetEnterButton(cmd_OK);
    cmd_OK->setFocus();

    // The slot's picture (as picked, reduced or last trimmed), placed at the
    // rectangle's corner with the four lines over it.
    // A picture too large for the screen shows reduced; the crop is still
    // taken from the picture itself.
    Image.SetPicture(scale_ == ZoomScale(1)
                         ? target.Picture()
                         : target.Picture().scaled(
                               static_cast<int>(scale_.PaneLength(target.Picture().width())),
                               static_cast<int>(scale_.PaneLength(target.Picture().height())),
                               Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    Image.Move(g.x0, g.y0);
    P = new PaneWidget(Image, Client);
    P->setCursor(Qt::SizeAllCursor);
    connect(P, &PaneWidget::MouseDown, this,
            [this](Qt::MouseButton b, QPoint c) { P_MouseDown(b, c); });
    connect(P, &PaneWidget::MouseMove, this,
            [this](Qt::MouseButtons, QPoint c) { P_MouseMove(c); });
    connect(P, &PaneWidget::MouseUp, this, [this] { P_MouseUp(); });
    const int w = static_cast<int>(scale_.PaneLength(W));
    const int h = static_cast<int>(scale_.PaneLength(H));
    const QRect lines[4] = {{g.x0, g.y0, w, 2},
                            {g.x0, g.y0 + h - 2, w, 2},
                            {g.x0, g.y0, 2, h},
                            {g.x0 + w - 2, g.y0, 2, h}};
    for (int i = 0; i < 4; ++i) {
        Pic_Line[i] = new PanelWidget(Client);
        Pic_Line[i]->SetBackColor(kBlue);
        Pic_Line[i]->setGeometry(lines[i]);
        Pic_Line[i]->setAttribute(Qt::WA_TransparentForMouseEvents);
        Pic_Line[i]->raise();
    }

    OpenFromCursor(g.window);
}

int32_t Fennix_Tri::LineColor() const {
    return Pic_Line[0]->BackColor();
}

void Fennix_Tri::P_MouseDown(Qt::MouseButton button, QPoint cursor) {
    if (button != Qt::LeftButton) return;
    drag_ = 1;
    grabX_ = static_cast<int16_t>(cursor.x() - Image.Left());
    grabY_ = static_cast<int16_t>(cursor.y() - Image.Top());
}

void Fennix_Tri::P_MouseMove(QPoint cursor) {
    if (drag_ != 1) return;
    Image.Move(cursor.x() - grabX_, cursor.y() - grabY_);
}

void Fennix_Tri::P_MouseUp() {
    drag_ = 0;
}

void Fennix_Tri::cmd_Color_Click() {
    const int32_t color = CurrentPrompts().PickColor(LineColor());
    if (color == -1) return;
    for (PanelWidget* line : Pic_Line) line->SetBackColor(color);
}

void Fennix_Tri::cmd_OK_Click() {
    Settings.DialogConfirmed = true;
    const int dx = scale_.ImagePos(Pic_Line[0]->x() - Image.Left());
    const int dy = scale_.ImagePos(Pic_Line[0]->y() - Image.Top());
    const QImage source = target_.Picture();  // kept while the pane is cleared
    target_.Move(0, 0);
    target_.SetSize(W_, H_);
    target_.ClearPicture();
    {
        // Where the rectangle reaches beyond the picture, the pane keeps
        // the black it was cleared to.
        QPainter painter(&target_.Layer());
        painter.drawImage(QPoint(0, 0), source, QRect(dx, dy, W_, H_));
    }
    target_.SetPicture(target_.Layer().copy());
    target_.Refresh();
    accept();
}

void Fennix_Tri::Cmd_Can_Click() {
    reject();
}

void Fennix_Tri::done(int result) {
    ZoomBackToCursor();
    QDialog::done(result);
}

}  // namespace fennix
