#include "ui/controls/ImageOption.h"

#include <QMouseEvent>
#include <QPainter>

#include "ui/controls/Theme.h"

namespace fennix {

namespace {

constexpr int kBullet = 14;

QPixmap DrawBullet(bool on) {
    QPixmap pixmap(kBullet, kBullet);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    QRadialGradient face(QPointF(kBullet * 0.4, kBullet * 0.35), kBullet * 0.7);
    face.setColorAt(0, Qt::white);
    face.setColorAt(1, theme::kFaceBottom);
    painter.setBrush(face);
    painter.setPen(QPen(theme::kBorder, 1));
    painter.drawEllipse(QRectF(0.5, 0.5, kBullet - 1, kBullet - 1));
    if (on) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(theme::kCaption);
        painter.drawEllipse(QRectF(3.5, 3.5, kBullet - 7, kBullet - 7));
    }
    return pixmap;
}

}  // namespace

void ClickLabel::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) emit Clicked();
}

void ClickLabel::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Space:
            emit Clicked();
            break;
        case Qt::Key_Left:
        case Qt::Key_Up:
            emit Step(-1);
            break;
        case Qt::Key_Right:
        case Qt::Key_Down:
            emit Step(1);
            break;
        default:
            QLabel::keyPressEvent(event);
    }
}

void ClickLabel::paintEvent(QPaintEvent* event) {
    QLabel::paintEvent(event);
    if (!hasFocus()) return;
    QPainter painter(this);
    painter.setPen(QPen(theme::ColoursFor(palette()).caption, 1, Qt::DotLine));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

const QPixmap& OptionOnImage() {
    static const QPixmap image = DrawBullet(true);
    return image;
}

const QPixmap& OptionOffImage() {
    static const QPixmap image = DrawBullet(false);
    return image;
}

ImageOption::ImageOption(const QString& caption, int x, int y, int captionWidth, QWidget* parent)
    : QObject(parent) {
    Img = new ClickLabel(parent);
    Img->setGeometry(x, y + 3, kBullet, kBullet);
    Img->setCursor(Qt::PointingHandCursor);
    Lbl = new ClickLabel(caption, parent);
    Lbl->setGeometry(x + kBullet + 4, y, captionWidth, 20);
    Lbl->setCursor(Qt::PointingHandCursor);
    Lbl->setFocusPolicy(Qt::StrongFocus);
    SetOn(false);
    connect(Img, &ClickLabel::Clicked, this, &ImageOption::Clicked);
    connect(Lbl, &ClickLabel::Clicked, this, &ImageOption::Clicked);
}

void ImageOption::SetOn(bool on) {
    on_ = on;
    Img->setPixmap(on ? OptionOnImage() : OptionOffImage());
}

void LinkOptions(const std::vector<ImageOption*>& group) {
    const int count = static_cast<int>(group.size());
    for (int i = 0; i < count; ++i) {
        QObject::connect(group[i]->Lbl, &ClickLabel::Step, group[i], [group, i, count](int step) {
            const int next = i + step;
            if (next < 0 || next >= count) return;
            group[next]->Lbl->setFocus(Qt::TabFocusReason);
            emit group[next]->Clicked();
        });
    }
}

}  // namespace fennix
