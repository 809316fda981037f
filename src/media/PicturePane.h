#pragma once

#include <QImage>
#include <QPainter>
#include <QPoint>
#include <QRect>
#include <QRegion>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace fennix {

// A picture pane: a loaded picture and a persistent drawing layer on top of
// it. Drawing goes to the layer; Cls resets the layer to the picture (or to
// the back colour where there is none); Refresh tells the window showing the
// pane to repaint. The pane's size follows the loaded picture. The pane also
// carries its place in the window (Left, Top, Visible), so window layout can
// be computed and tested without widgets.
//
// Picture and layer are QImages and share their pixels until something is
// drawn: a pane that only shows its picture, or several panes showing the
// same picture, hold it once.
class PicturePane {
public:
    // Loads an image file as the picture and sizes the pane to it. False
    // when the file cannot be decoded; the pane is then left unchanged.
    bool LoadPicture(const std::string& path);

    // Makes `image` the picture and sizes the pane to it. The pane shares
    // the image's pixels (an image of another format is converted).
    void SetPicture(const QImage& image);

    // Removes the picture; the layer becomes the back colour at the current size.
    void ClearPicture();

    bool HasPicture() const { return !picture_.isNull(); }
    const QImage& Picture() const { return picture_; }

    // The persistent layer: the picture plus what was drawn on it. Format
    // RGB32, so its bytes are blue, green, red, reserved, top row first.
    const QImage& Layer() const { return layer_; }
    QImage& Layer() { return layer_; }

    int Width() const { return layer_.width(); }
    int Height() const { return layer_.height(); }

    // Resizes the pane; the layer is reset as by Cls at the new size.
    void SetSize(int width, int height);

    // Resets the layer to the picture; where the picture does not reach,
    // the back colour. A picture that covers the layer is shared, not copied.
    void Cls();

    // Resets only `area` of the layer as Cls does.
    void ClsArea(const QRegion& area);

    // Drawing in a packed colour (red in the lowest byte), one-pixel pen.
    // Boxes are given by two corners, inclusive, as the platform's ellipse
    // call takes them.
    void DrawEllipse(int x1, int y1, int x2, int y2, int32_t color);
    void FillEllipse(int x1, int y1, int x2, int y2, int32_t color);
    void DrawLine(int x1, int y1, int x2, int y2, int32_t color);
    void FillPolygon(const std::vector<QPoint>& points, int32_t color);

    // Tells the window showing the pane to repaint it now.
    void Refresh();
    // The same for a part of it.
    void RefreshArea(const QRegion& area);

    // Writes the layer as a Windows bitmap file (see SaveBitmapFile). False,
    // with `error` set when given, on failure.
    bool SaveBitmap(const std::string& path, std::string* error = nullptr, bool sync = true) const;

    int32_t BackColor() const { return backColor_; }
    void SetBackColor(int32_t color);

    int Left() const { return left_; }
    int Top() const { return top_; }
    void Move(int left, int top);
    bool Visible() const { return visible_; }
    void SetVisible(bool visible);

    // Called after Refresh and after a change of place, size or visibility,
    // with the part of the pane that changed (an empty region: all of it).
    void SetChangedHandler(std::function<void(const QRegion&)> handler) {
        changed_ = std::move(handler);
    }
    void SetChangedHandler(std::function<void()> handler) {
        changed_ = [handler = std::move(handler)](const QRegion&) { handler(); };
    }

private:
    void Changed(const QRegion& area = {});

    QImage picture_;
    QImage layer_;
    int32_t backColor_ = 0;
    int left_ = 0;
    int top_ = 0;
    bool visible_ = true;
    std::function<void(const QRegion&)> changed_;
};

// The size a picture of width × height is shown at to fit a box of
// boxWidth × boxHeight whole: its own size when it fits, otherwise scaled
// down keeping its proportions, the longer side (relative to the box) filling
// the box and the other rounded ties to even, at least 1.
QSize FitSize(int width, int height, int boxWidth, int boxHeight);

// Several drawing calls on one pane with a single painter, for grids of
// thousands of lines. Drawing ends when the object goes away; call the
// pane's Refresh afterwards to show it.
class PaneDrawing {
public:
    explicit PaneDrawing(PicturePane& pane);
    // Drawing cut to `clip`.
    PaneDrawing(PicturePane& pane, const QRegion& clip);

    void Ellipse(int x1, int y1, int x2, int y2, int32_t color);
    void FilledEllipse(int x1, int y1, int x2, int y2, int32_t color);
    void Line(int x1, int y1, int x2, int y2, int32_t color);
    void FilledPolygon(const std::vector<QPoint>& points, int32_t color);

private:
    QPainter painter_;
};

}  // namespace fennix
