#include <gtest/gtest.h>

#include <QApplication>
#include <QColorDialog>
#include <QTimer>

#include "ui/common/QtPrompts.h"

namespace fennix {
namespace {

// The custom colours a colour choice shows while it is open; the choice
// is then cancelled.
std::vector<QColor> CustomColoursShown() {
    std::vector<QColor> shown;
    QTimer::singleShot(0, [&shown] {
        for (int i = 0; i < QColorDialog::customCount(); ++i)
            shown.push_back(QColorDialog::customColor(i));
        if (QWidget* dialog = QApplication::activeModalWidget()) dialog->close();
    });
    EXPECT_EQ(QtPrompts().PickColor(0x0000ff), -1);
    return shown;
}

// Every choice starts with all 16 custom colours white, whatever an earlier
// one left there.
TEST(QtPrompts, EveryColourChoiceStartsWithWhiteCustomColours) {
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        QColorDialog::setCustomColor(3, Qt::red);
        QColorDialog::setCustomColor(15, QColor(10, 20, 30));
        const std::vector<QColor> shown = CustomColoursShown();
        ASSERT_EQ(shown.size(), 16u);
        for (const QColor& colour : shown) EXPECT_EQ(colour, QColor(Qt::white));
    }
}

}  // namespace
}  // namespace fennix
