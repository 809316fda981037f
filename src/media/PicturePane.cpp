#include "media/PicturePane.h"

#include <QPainter>

#include "core/Rounding.h"
#include "media/ImageFile.h"
#include "media/PackedColor.h"

namespace fennix {

bool PicturePane::LoadPicture(const std::string& path) {
    const auto image = LoadImageFile(path);
    if (!image) return false;
    SetPicture(*image);
    return true;
}

void PicturePane::SetPicture(const QImage& image) {
    picture_ = image.convertToFormat(QImage::Format_RGB32);
    layer_ = picture_;
    Changed();
}

void PicturePane::ClearPicture() {
    picture_ = QImage();
    Cls();
}

void PicturePane::SetSize(int width, int height) {
    layer_ = QImage(std::max(width, 0), std::max(height, 0), QImage::Format_RGB32);
    Cls();
}

void PicturePane::Cls() {
    if (layer_.isNull()) return;
    if (!picture_.isNull() && picture_.size() == layer_.size()) {
        layer_ = picture_;
        return;
    }
    // A fresh layer rather than a fill: a layer still sharing an earlier
    // picture would first be copied only to be painted over.
    const QSize size = layer_.size();
    layer_ = QImage();
    layer_ = QImage(size, QImage::Format_RGB32);
    layer_.fill(ColorFromPacked(backColor_));
    if (!picture_.isNull()) {
        QPainter painter(&layer_);
        painter.drawImage(0, 0, picture_);
    }
}

void PicturePane::ClsArea(const QRegion& area) {
    if (layer_.isNull()) return;
    QPainter painter(&layer_);
    painter.setClipRegion(area);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    for (const QRect& r : area) {
        painter.fillRect(r, ColorFromPacked(backColor_));
        if (!picture_.isNull()) painter.drawImage(r.topLeft(), picture_, r);
    }
}

namespace {
QRect BoxFromCorners(int x1, int y1, int x2, int y2) {
    // A one-pixel pen outlines a rectangle one pixel wider and higher than
    // its size; shrink it so the outline stays inside the inclusive box.
    return QRect(QPoint(std::min(x1, x2), std::min(y1, y2)),
                 QPoint(std::max(x1, x2), std::max(y1, y2)))
        .adjusted(0, 0, -1, -1);
}
}  // namespace

void PicturePane::DrawEllipse(int x1, int y1, int x2, int y2, int32_t color) {
    if (!layer_.isNull()) PaneDrawing(*this).Ellipse(x1, y1, x2, y2, color);
}

void PicturePane::FillEllipse(int x1, int y1, int x2, int y2, int32_t color) {
    if (!layer_.isNull()) PaneDrawing(*this).FilledEllipse(x1, y1, x2, y2, color);
}

void PicturePane::DrawLine(int x1, int y1, int x2, int y2, int32_t color) {
    if (!layer_.isNull()) PaneDrawing(*this).Line(x1, y1, x2, y2, color);
}

void PicturePane::FillPolygon(const std::vector<QPoint>& points, int32_t color) {
    if (!layer_.isNull()) PaneDrawing(*this).FilledPolygon(points, color);
}

void PicturePane::Refresh() { Changed(); }

void PicturePane::RefreshArea(const QRegion& area) {
    if (!area.isEmpty()) Changed(area);
}

bool PicturePane::SaveBitmap(const std::string& path, std::string* error, bool sync) const {
    return SaveBitmapFile(layer_, path, error, sync);
}

void PicturePane::SetBackColor(int32_t color) {
    backColor_ = color;
    Changed();
}

void PicturePane::Move(int left, int top) {
    left_ = left;
    top_ = top;
    Changed();
}

void PicturePane::SetVisible(bool visible) {
    visible_ = visible;
    Changed();
}

void PicturePane::Changed(const QRegion& area) {
    if (changed_) changed_(area);
}

QSize FitSize(int width, int height, int boxWidth, int boxHeight) {
    if (width <= boxWidth && height <= boxHeight) return {width, height};
    if (width <= 0 || height <= 0 || boxWidth <= 0 || boxHeight <= 0) return {0, 0};
    // Width-limited when width / boxWidth ≥ height / boxHeight.
    if (int64_t{width} * boxHeight >= int64_t{height} * boxWidth)
        return {boxWidth, std::max(RoundEvenInt(double(height) * boxWidth / width), 1)};
    return {std::max(RoundEvenInt(double(width) * boxHeight / height), 1), boxHeight};
}

PaneDrawing::PaneDrawing(PicturePane& pane) {
    if (!pane.Layer().isNull()) painter_.begin(&pane.Layer());
}

PaneDrawing::PaneDrawing(PicturePane& pane, const QRegion& clip) : PaneDrawing(pane) {
    if (painter_.isActive()) painter_.setClipRegion(clip);
}

void PaneDrawing::Ellipse(int x1, int y1, int x2, int y2, int32_t color) {
    if (!painter_.isActive()) return;
    painter_.setPen(ColorFromPacked(color));
    painter_.setBrush(Qt::NoBrush);
    painter_.drawEllipse(BoxFromCorners(x1, y1, x2, y2));
}

void PaneDrawing::FilledEllipse(int x1, int y1, int x2, int y2, int32_t color) {
    if (!painter_.isActive()) return;
    painter_.setPen(ColorFromPacked(color));
    painter_.setBrush(ColorFromPacked(color));
    painter_.drawEllipse(BoxFromCorners(x1, y1, x2, y2));
}

void PaneDrawing::Line(int x1, int y1, int x2, int y2, int32_t color) {
    if (!painter_.isActive()) return;
    painter_.setPen(ColorFromPacked(color));
    painter_.drawLine(x1, y1, x2, y2);
}

void PaneDrawing::FilledPolygon(const std::vector<QPoint>& points, int32_t color) {
    if (!painter_.isActive() || points.size() < 3) return;
    painter_.setPen(Qt::NoPen);
    painter_.setBrush(ColorFromPacked(color));
    painter_.drawPolygon(points.data(), static_cast<int>(points.size()), Qt::OddEvenFill);
}

}  // namespace fennix
