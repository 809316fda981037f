#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QString>

namespace fennix {

// The small builders the program's dialogs place their captions and number
// fields with.

// UTF-8 text as it stands in the source.
inline QString Q(const char* text) {
    return QString::fromUtf8(text);
}

// A caption at (x, y), w × h, on `parent`.
inline QLabel* Label(const char* text, QWidget* parent, int x, int y, int w, int h) {
    auto* label = new QLabel(Q(text), parent);
    label->setGeometry(x, y, w, h);
    return label;
}

// A right-aligned number field, 56 × 22, at (x, y) on `parent`.
inline QLineEdit* Field(QWidget* parent, int x, int y) {
    auto* field = new QLineEdit(parent);
    field->setGeometry(x, y, 56, 22);
    field->setAlignment(Qt::AlignRight);
    return field;
}

}  // namespace fennix
