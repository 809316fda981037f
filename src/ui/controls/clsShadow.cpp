#include "ui/controls/clsShadow.h"

#include <xcb/xcb.h>

#include <QtGui/qguiapplication_platform.h>
#include <QEvent>
#include <QGuiApplication>
#include <QPainter>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>

namespace fennix {

namespace {

// xcb replies are malloc'd and freed by the caller.
struct FreeReply {
    void operator()(void* reply) const { std::free(reply); }
};
template <typename T>
using Reply = std::unique_ptr<T, FreeReply>;

// The screen number of the display xcb connects to by default ($DISPLAY,
// ":0.1" is screen 1); 0 when it cannot be told.
int DefaultScreenNumber() {
    char* host = nullptr;
    int display = 0;
    int screen = 0;
    if (!xcb_parse_display(nullptr, &host, &display, &screen)) screen = 0;
    std::free(host);
    return screen;
}

// On Wayland a top-level window cannot place itself; a tool tip window is
// placed relative to its parent, so the shadow lands beside the dialog. On
// X11 a tool window belongs to the dialog's window group: the window
// manager keeps it with the dialog and leaves it out of the task bar.
Qt::WindowFlags ShadowWindowFlags() {
    const Qt::WindowType type = QGuiApplication::platformName().startsWith(QLatin1String("wayland"))
                                    ? Qt::ToolTip
                                    : Qt::Tool;
    return type | Qt::FramelessWindowHint | Qt::NoDropShadowWindowHint |
           Qt::WindowDoesNotAcceptFocus | Qt::WindowTransparentForInput;
}

}  // namespace

bool ShadowsSupported(const QString& platform, bool compositorRunning) {
    if (platform == QLatin1String("xcb")) return compositorRunning;
    // "wayland", "wayland-egl" and the other Wayland back ends: every
    // Wayland compositor blends translucent surfaces.
    return platform.startsWith(QLatin1String("wayland"));
}

bool CompositorRunning(xcb_connection_t* connection, int screen) {
    if (!connection || screen < 0 || xcb_connection_has_error(connection)) return false;
    const std::string name = "_NET_WM_CM_S" + std::to_string(screen);
    // Only an existing atom: one nobody ever interned has no owner, and
    // asking must not leave a new atom on the server.
    const Reply<xcb_intern_atom_reply_t> atom(xcb_intern_atom_reply(
        connection,
        xcb_intern_atom(connection, 1, static_cast<uint16_t>(name.size()), name.c_str()), nullptr));
    if (!atom || atom->atom == XCB_ATOM_NONE) return false;
    const Reply<xcb_get_selection_owner_reply_t> owner(xcb_get_selection_owner_reply(
        connection, xcb_get_selection_owner(connection, atom->atom), nullptr));
    return owner && owner->owner != XCB_NONE;
}

bool ShadowsAvailable() {
    const QString platform = QGuiApplication::platformName();
    bool compositor = false;
#if QT_CONFIG(xcb)
    if (platform == QLatin1String("xcb") && qGuiApp) {
        if (auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>())
            compositor = CompositorRunning(x11->connection(), DefaultScreenNumber());
    }
#endif
    return ShadowsSupported(platform, compositor);
}

clsShadow* clsShadow::Attach(QWidget* dialog, int transparency, int depth) {
    if (!dialog || depth < 1) return nullptr;
    if (auto* existing = dialog->findChild<clsShadow*>(QString(), Qt::FindDirectChildrenOnly))
        return existing;
    if (!ShadowsAvailable()) return nullptr;
    return new clsShadow(dialog, transparency, depth);
}

clsShadow::clsShadow(QWidget* dialog, int transparency, int depth)
    : QWidget(dialog, ShadowWindowFlags()),
      dialog_(dialog),
      transparency_(std::clamp(transparency, 0, 255)),
      depth_(std::clamp(depth, 1, 255)) {
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    setGeometry(ShadowRect(dialog_->frameGeometry(), depth_));
    dialog_->installEventFilter(this);
    if (dialog_->isVisible()) Follow();
}

QRect clsShadow::ShadowRect(const QRect& frame, int depth) {
    return frame.translated(depth, depth);
}

int clsShadow::AlphaAt(QPoint p, QSize size, int transparency, int depth) {
    const int w = size.width();
    const int h = size.height();
    if (p.x() < 0 || p.y() < 0 || p.x() >= w || p.y() >= h || depth < 1) return 0;
    // The dialog covers everything left of and above the band.
    if (p.x() < w - depth && p.y() < h - depth) return 0;
    // Distance beyond the shadow's core: the right and bottom of the band
    // run outward from the dialog's edge, and the band's ends (the first
    // `depth` rows and columns of the window) fade in towards the core.
    const int dx = std::max({0, p.x() - (w - depth), depth - 1 - p.x()});
    const int dy = std::max({0, p.y() - (h - depth), depth - 1 - p.y()});
    const double d = std::sqrt(static_cast<double>(dx * dx + dy * dy));
    if (d >= depth) return 0;
    return static_cast<int>(std::lround(transparency * (depth - d) / depth));
}

bool clsShadow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == dialog_) {
        switch (event->type()) {
            case QEvent::Show:
                // Shown once the dialog's window is on screen, so the window
                // manager sees the dialog before the window that belongs to it.
                QTimer::singleShot(0, this, &clsShadow::Follow);
                break;
            case QEvent::Hide:
                hide();
                break;
            case QEvent::Move:
            case QEvent::Resize:
            case QEvent::WindowStateChange:
            case QEvent::ActivationChange:  // the frame is known by now
                Follow();
                break;
            default:
                break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void clsShadow::Follow() {
    const bool shown = dialog_->isVisible() && !dialog_->isMinimized();
    if (shown) setGeometry(ShadowRect(dialog_->frameGeometry(), depth_));
    if (shown != isVisible()) setVisible(shown);
}

void clsShadow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const QSize s = size();
    image_ = QImage(s, QImage::Format_ARGB32_Premultiplied);
    image_.fill(Qt::transparent);
    for (int y = 0; y < s.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image_.scanLine(y));
        // Rows above the bottom band hold only the right band.
        for (int x = y >= s.height() - depth_ ? 0 : std::max(0, s.width() - depth_); x < s.width();
             ++x) {
            const int alpha = AlphaAt(QPoint(x, y), s, transparency_, depth_);
            line[x] = qRgba(0, 0, 0, alpha);  // black: the same premultiplied
        }
    }
}

void clsShadow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(0, 0, image_);
}

}  // namespace fennix
