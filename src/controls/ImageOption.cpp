#include "controls/ImageOption.h"

#include <QMouseEvent>
#include <QPainter>

#include "controls/Theme.h"

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
    SetOn(false);
    connect(Img, &ClickLabel::Clicked, this, &ImageOption::Clicked);
    connect(Lbl, &ClickLabel::Clicked, this, &ImageOption::Clicked);
}

void ImageOption::SetOn(bool on) {
    on_ = on;
    Img->setPixmap(on ? OptionOnImage() : OptionOffImage());
}

}  // namespace fennix
