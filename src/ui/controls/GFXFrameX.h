#pragma once

#include <QWidget>

namespace fennix {

// The program's framed panel: a rounded outline with its caption set into
// the top edge and a soft shadow along its right and bottom sides. Children
// are placed freely inside it.
class GFXFrameX : public QWidget {
    Q_OBJECT
public:
    GFXFrameX(const QString& caption, QWidget* parent);

    QString Caption() const { return caption_; }

    // How far the shadow reaches beyond the outline, in pixels.
    static constexpr int kShadow = 3;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString caption_;
};

}  // namespace fennix
