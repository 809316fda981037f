#pragma once

#include <QLabel>
#include <QPixmap>
#include <vector>

namespace fennix {

// A label that sends Clicked when the left button is pressed on it, or the
// space bar while it has the focus; the arrow keys send Step (−1 back, +1 on).
class ClickLabel : public QLabel {
    Q_OBJECT
  public:
    using QLabel::QLabel;

  signals:
    void Clicked();
    void Step(int direction);

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
};

// The two pictures of the program's option groups: a filled bullet for the
// selected entry and an empty one for the others.
const QPixmap& OptionOnImage();
const QPixmap& OptionOffImage();

// One entry of an option group: its picture (on or off) and its caption
// beside it, both clickable. The group itself decides what a click selects.
// The caption takes the keyboard focus: the space bar clicks it, and within
// a group linked by LinkOptions the arrow keys click the neighbour.
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

// Makes the arrow keys move the focus through `group` in order, clicking
// each entry they reach, as in a group of radio buttons.
void LinkOptions(const std::vector<ImageOption*>& group);

}  // namespace fennix
