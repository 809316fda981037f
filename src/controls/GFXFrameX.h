#pragma once

#include <QWidget>

namespace fennix {

// The program's framed panel: a rounded outline with its caption set into
// the top edge. Children are placed freely inside it.
class GFXFrameX : public QWidget {
    Q_OBJECT
public:
    GFXFrameX(const QString& caption, QWidget* parent);

    QString Caption() const { return caption_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString caption_;
};

}  // namespace fennix
