#include "ui/common/WindowAnimation.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QGuiApplication>
#include <QRubberBand>
#include <QThread>
#include <QWidget>

namespace fennix {

namespace {

bool CanAnimate() {
    const QString platform = QGuiApplication::platformName();
    return platform != "offscreen" && platform != "minimal";
}

QRect Interpolate(const QRect& a, const QRect& b, double f) {
    auto mix = [f](int x, int y) { return static_cast<int>(x + (y - x) * f); };
    return QRect(QPoint(mix(a.left(), b.left()), mix(a.top(), b.top())),
                 QPoint(mix(a.right(), b.right()), mix(a.bottom(), b.bottom())));
}

// Moves an outline rectangle from `from` to `to` over a short time.
void Animate(const QRect& from, const QRect& to) {
    if (!CanAnimate()) return;
    QRubberBand band(QRubberBand::Rectangle);
    band.setGeometry(from);
    band.show();
    constexpr int kSteps = 8;
    for (int step = 1; step <= kSteps; ++step) {
        band.setGeometry(Interpolate(from, to, static_cast<double>(step) / kSteps));
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        QThread::msleep(15);
    }
}

}  // namespace

QRect ZoomFromCursor(QWidget* window, QPoint from) {
    if (!window) return {};
    const QRect rect = window->frameGeometry();
    Animate(QRect(from, QSize(1, 1)), rect);
    return rect;
}

void ZoomToCursor(QWidget* window, QPoint to) {
    if (!window) return;
    Animate(window->frameGeometry(), QRect(to, QSize(1, 1)));
}

}  // namespace fennix
