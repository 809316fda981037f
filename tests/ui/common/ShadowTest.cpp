#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <QtGui/qguiapplication_platform.h>
#include <QApplication>
#include <QDialog>
#include <QGuiApplication>
#include <QImage>
#include <QPointer>
#include <QTest>
#include <cstdlib>
#include <memory>
#include <string>

#include "ui/frame/Fennix_Opt.h"
#include "model/Settings.h"
#include "ui/controls/ccXPButton.h"
#include "ui/controls/clsShadow.h"
#include "media/AviFrames.h"
#include "ui/output/CompressorWidget.h"
#include "ui/output/Fennix_Avi.h"
#include "support/ScriptedPrompts.h"
#include "support/TestFolder.h"

namespace fennix {
namespace {

bool Offscreen() {
    return QGuiApplication::platformName() == "offscreen";
}

int ShadowWindows() {
    int n = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (qobject_cast<clsShadow*>(w)) ++n;
    return n;
}

// The shadow as it paints itself onto a transparent surface.
QImage Painted(clsShadow& shadow) {
    QImage image(shadow.size(), QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    shadow.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

TEST(Shadow, ShownOnlyWhereTranslucentWindowsAreComposited) {
    EXPECT_TRUE(ShadowsSupported("xcb", true));
    EXPECT_FALSE(ShadowsSupported("xcb", false));
    EXPECT_TRUE(ShadowsSupported("wayland", false));
    EXPECT_TRUE(ShadowsSupported("wayland-egl", false));
    EXPECT_FALSE(ShadowsSupported("offscreen", true));
    EXPECT_FALSE(ShadowsSupported("minimal", true));
    EXPECT_FALSE(ShadowsSupported("linuxfb", true));
    EXPECT_FALSE(ShadowsSupported("", true));
    EXPECT_FALSE(CompositorRunning(nullptr, 0));
}

class ShadowDialogTest : public testing::Test {
  protected:
    test::AppFolderScope app;
    test::ScopedPrompts prompts;
};

// Where translucent windows are not composited (offscreen, X11 without a
// compositing manager) nothing may change: no extra window, no child, and
// the dialogs open and close as before.
TEST_F(ShadowDialogTest, WithoutCompositingDialogsGetNoShadowAndOpenAndCloseAsBefore) {
    if (Offscreen()) {
        ASSERT_FALSE(ShadowsAvailable());
    }
    if (ShadowsAvailable()) GTEST_SKIP() << "this window system shows shadows";
    const int windowsBefore = static_cast<int>(QApplication::topLevelWidgets().size());

    Fennix_Opt options;
    CompressorWidget compressor(nullptr);
    FolderDialogMode = 0;
    Fennix_Avi avi(nullptr);
    avi.Form_Load();
    for (QDialog* dialog : {static_cast<QDialog*>(&options), static_cast<QDialog*>(&compressor),
                            static_cast<QDialog*>(&avi)}) {
        EXPECT_EQ(clsShadow::Attach(dialog), nullptr);
        dialog->show();
        QApplication::processEvents();
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_TRUE(dialog->findChildren<clsShadow*>().isEmpty());
        dialog->reject();
        QApplication::processEvents();
        EXPECT_FALSE(dialog->isVisible());
        EXPECT_EQ(dialog->result(), QDialog::Rejected);
    }
    EXPECT_EQ(ShadowWindows(), 0);
    EXPECT_EQ(static_cast<int>(QApplication::topLevelWidgets().size()), windowsBefore + 3);
}

TEST(Shadow, FollowsItsDialogAndDiesWithIt) {
    auto dialog = std::make_unique<QDialog>();
    dialog->setGeometry(100, 80, 300, 200);
    QPointer<clsShadow> shadow = new clsShadow(dialog.get(), 130, 20);
    EXPECT_EQ(clsShadow::Attach(dialog.get()), shadow.data());  // never a second one
    EXPECT_FALSE(shadow->isVisible());

    dialog->show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return shadow->isVisible(); }, 2000));
    const auto expected = [&] { return dialog->frameGeometry().translated(20, 20); };
    EXPECT_EQ(shadow->geometry(), expected());
    EXPECT_TRUE(shadow->isWindow());
    EXPECT_TRUE(shadow->windowFlags().testFlag(Qt::WindowTransparentForInput));

    dialog->move(160, 120);
    EXPECT_EQ(shadow->geometry(), expected());
    dialog->resize(340, 260);
    EXPECT_EQ(shadow->geometry(), expected());
    EXPECT_EQ(shadow->size(), dialog->frameGeometry().size());

    dialog->hide();
    EXPECT_FALSE(shadow->isVisible());
    dialog->move(40, 30);  // moved while hidden: placed again when shown
    dialog->show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return shadow->isVisible(); }, 2000));
    EXPECT_EQ(shadow->geometry(), expected());

    dialog->showMinimized();
    QApplication::processEvents();
    if (dialog->isMinimized()) {
        EXPECT_FALSE(shadow->isVisible());
    }

    dialog.reset();
    EXPECT_TRUE(shadow.isNull());
}

TEST(Shadow, DarkestAtTheDialogsEdgeFadingOverTheDepth) {
    for (const auto& [transparency, depth] : {std::pair{130, 20}, std::pair{200, 8}}) {
        SCOPED_TRACE(depth);
        QDialog dialog;
        dialog.setGeometry(50, 50, 240, 160);
        clsShadow shadow(&dialog, transparency, depth);
        const QImage image = Painted(shadow);
        const int w = image.width();
        const int h = image.height();
        ASSERT_EQ(image.size(), dialog.frameGeometry().size());
        const auto alpha = [&](int x, int y) { return qAlpha(image.pixel(x, y)); };

        // Where the dialog covers the shadow, nothing; the shadow is black.
        int covered = 0, coloured = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                if (x < w - depth && y < h - depth && alpha(x, y) != 0) ++covered;
                if (qRed(image.pixel(x, y)) || qGreen(image.pixel(x, y)) ||
                    qBlue(image.pixel(x, y)))
                    ++coloured;
            }
        EXPECT_EQ(covered, 0);
        EXPECT_EQ(coloured, 0);

        // Across the right band and the bottom band: full strength next to
        // the dialog, fading outward, still there at the outer edge.
        for (const auto& [x0, y0, dx, dy] :
             {std::tuple{w - depth, h / 2, 1, 0}, std::tuple{w / 2, h - depth, 0, 1}}) {
            EXPECT_EQ(alpha(x0, y0), transparency);
            for (int i = 1; i < depth; ++i)
                EXPECT_LT(alpha(x0 + i * dx, y0 + i * dy),
                          alpha(x0 + (i - 1) * dx, y0 + (i - 1) * dy));
            EXPECT_GT(alpha(x0 + (depth - 1) * dx, y0 + (depth - 1) * dy), 0);
        }
        // The band's ends fade in: faint at the window's top and left, full
        // strength once level with the dialog's corner.
        EXPECT_LT(alpha(w - depth, 0), transparency / 4 + 1);
        EXPECT_EQ(alpha(w - depth, depth - 1), transparency);
        EXPECT_LT(alpha(0, h - depth), transparency / 4 + 1);
        EXPECT_EQ(alpha(depth - 1, h - depth), transparency);
        // The outer corner is rounded off: fainter than either band's edge.
        EXPECT_LT(alpha(w - 1, h - 1), alpha(w - 1, h / 2));
    }
}

// The X11 side: a compositing manager announces itself by owning the
// selection _NET_WM_CM_S<screen>. Runs against a real X server (for example
// under xvfb-run), standing in for the compositor by taking the selection.
TEST(Shadow, OnX11TheCompositorSelectionDecides) {
    xcb_connection_t* own = nullptr;
    xcb_connection_t* connection = nullptr;
    int screen = 0;
    if (QGuiApplication::platformName() == "xcb") {
        connection = qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->connection();
        char* host = nullptr;
        int display = 0;
        if (!xcb_parse_display(nullptr, &host, &display, &screen)) screen = 0;
        std::free(host);
    } else {
        if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X server";
        own = xcb_connect(nullptr, &screen);
        if (xcb_connection_has_error(own)) {
            xcb_disconnect(own);
            GTEST_SKIP() << "no X server";
        }
        connection = own;
    }
    if (CompositorRunning(connection, screen)) {
        if (own) xcb_disconnect(own);
        GTEST_SKIP() << "a compositing manager already runs";
    }
    EXPECT_FALSE(ShadowsSupported("xcb", CompositorRunning(connection, screen)));
    if (QGuiApplication::platformName() == "xcb") {
        QDialog plain;
        EXPECT_EQ(clsShadow::Attach(&plain), nullptr);
    }

    // Claim the selection from a second client, as a compositor does.
    int claimerScreen = 0;
    xcb_connection_t* claimer = xcb_connect(nullptr, &claimerScreen);
    ASSERT_FALSE(xcb_connection_has_error(claimer));
    ASSERT_EQ(claimerScreen, screen);
    const xcb_setup_t* setup = xcb_get_setup(claimer);
    xcb_screen_iterator_t roots = xcb_setup_roots_iterator(setup);
    for (int i = 0; i < claimerScreen; ++i) xcb_screen_next(&roots);
    const xcb_window_t window = xcb_generate_id(claimer);
    xcb_create_window(claimer, XCB_COPY_FROM_PARENT, window, roots.data->root, 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
    const std::string name = "_NET_WM_CM_S" + std::to_string(screen);
    xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
        claimer, xcb_intern_atom(claimer, 0, static_cast<uint16_t>(name.size()), name.c_str()),
        nullptr);
    ASSERT_NE(atom, nullptr);
    xcb_set_selection_owner(claimer, window, atom->atom, XCB_CURRENT_TIME);
    std::free(xcb_get_input_focus_reply(claimer, xcb_get_input_focus(claimer), nullptr));

    EXPECT_TRUE(CompositorRunning(connection, screen));
    EXPECT_FALSE(CompositorRunning(connection, screen + 1));
    if (QGuiApplication::platformName() == "xcb") {
        ASSERT_TRUE(ShadowsAvailable());
        QDialog dialog;
        dialog.setGeometry(100, 100, 200, 150);
        QPointer<clsShadow> shadow = clsShadow::Attach(&dialog);
        ASSERT_FALSE(shadow.isNull());
        EXPECT_EQ(shadow->Transparency(), 130);
        EXPECT_EQ(shadow->Depth(), 20);
        dialog.show();
        EXPECT_TRUE(QTest::qWaitFor([&] { return shadow->isVisible(); }, 2000));
        dialog.hide();
        EXPECT_FALSE(shadow->isVisible());
    }

    // Giving the selection up is the compositor leaving.
    xcb_set_selection_owner(claimer, XCB_NONE, atom->atom, XCB_CURRENT_TIME);
    std::free(xcb_get_input_focus_reply(claimer, xcb_get_input_focus(claimer), nullptr));
    std::free(atom);
    EXPECT_FALSE(CompositorRunning(connection, screen));
    xcb_disconnect(claimer);
    if (own) xcb_disconnect(own);
}

}  // namespace
}  // namespace fennix
