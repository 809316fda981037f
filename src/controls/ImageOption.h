#pragma once

#include <QLabel>
#include <QPixmap>

namespace fennix {

// A label that sends Clicked when the left button is pressed on it.
class ClickLabel : public QLabel {
    Q_OBJECT
  public:
    using QLabel::QLabel;

  signals:
    void Clicked();

  protected:
    void mousePressEvent(QMouseEvent* event) override;
};

// The two pictures of the program's option groups: a filled bullet for the
// selected entry and an empty one for the others.
const QPixmap& OptionOnImage();
const QPixmap& OptionOffImage();

// One entry of an option group: its picture (on or off) and its caption
// beside it, both clickable. The group itself decides what a click selects.
class ImageOption : public QObject {
    Q_OBJECT
  public:
    // Places the picture at (x, y) on `parent` and the caption right of it.
    ImageOption(const QString& caption, int x, int y, int captionWidth, QWidget* parent);

    ClickLabel* Img = nullptr;  // the picture
    ClickLabel* Lbl = nullptr;  // the caption

    bool IsOn() const { return on_; }
    void SetOn(bool on);

  signals:
    // The picture or the caption was clicked.
    void Clicked();

  private:
    bool on_ = false;
};

}  // namespace fennix
