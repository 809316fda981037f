#pragma once

#include <QImage>
#include <QWidget>

class QString;
struct xcb_connection_t;

namespace fennix {

// The drop shadow of a dialog: a translucent, click-through window that
// darkens a band `depth` pixels wide along the dialog's right and bottom
// edges. The darkness is `transparency` (an alpha of 0 … 255) right at the
// dialog's edge and fades to nothing over the band; the band's two ends
// fade in the same way. The window covers the dialog's frame moved `depth`
// pixels right and down and is fully transparent where the dialog is, so it
// looks the same above or below the dialog. It shows, moves, resizes and
// hides with the dialog and is deleted with it.
class clsShadow : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kTransparency = 130;
    static constexpr int kDepth = 20;

    // Gives `dialog` its shadow when the window system shows translucent
    // windows (ShadowsAvailable). Returns the shadow, the one the dialog
    // already has when called again, or nullptr when nothing was created: no
    // dialog, a depth below 1, or a window system that cannot show it (the
    // offscreen and minimal platforms, X11 without a compositing manager).
    static clsShadow* Attach(QWidget* dialog, int transparency = kTransparency, int depth = kDepth);

    // Builds the shadow of `dialog` whatever the window system can show.
    // Transparency is clamped to 0 … 255, depth to 1 … 255.
    clsShadow(QWidget* dialog, int transparency, int depth);

    int Transparency() const { return transparency_; }
    int Depth() const { return depth_; }

    // The screen rectangle of the shadow of a dialog whose frame (title bar
    // and borders included) is `frame`.
    static QRect ShadowRect(const QRect& frame, int depth);

    // The alpha of pixel `p` of a shadow window of `size`: 0 where the
    // dialog covers the window, `transparency` next to the dialog's edges,
    // falling linearly with the distance to 0 at `depth` pixels.
    static int AlphaAt(QPoint p, QSize size, int transparency, int depth);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    // Places the shadow at the dialog's current frame and shows it while
    // the dialog is shown and not minimised.
    void Follow();

    QWidget* dialog_;
    int transparency_;
    int depth_;
    QImage image_;  // the painted shadow, rebuilt when the size changes
};

// True when windows of the platform `platform` (as QGuiApplication's
// platformName gives it) can be translucent on screen: on X11 ("xcb") only
// while a compositing manager runs, always on Wayland, never elsewhere
// ("offscreen", "minimal", framebuffers).
bool ShadowsSupported(const QString& platform, bool compositorRunning);

// True when a compositing manager owns the selection _NET_WM_CM_S<screen> on
// the X server of `connection`. False for a null or broken connection and
// on any error.
bool CompositorRunning(xcb_connection_t* connection, int screen);

// ShadowsSupported for the running application's platform, asking its X
// server (the default screen of $DISPLAY) for a compositing manager.
bool ShadowsAvailable();

}  // namespace fennix
