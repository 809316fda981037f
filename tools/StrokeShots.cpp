// Screenshots of strokes: a disc and the blob it bends into, a closed
// stroke drawn along both outlines and an open one across them, with the
// preview at the middle frame; and in the frame, a stroke half drawn, the
// status bar saying where its end curve goes.
#include <QAction>
#include <QPainter>
#include <QPolygonF>
#include <QTemporaryDir>
#include <cmath>

#include "Shots.h"
#include "model/Settings.h"
#include "ui/document/Fennix_Main.h"
#include "ui/frame/Fennix_Mdif.h"

namespace fennix::shots {

namespace {

// The bend of the blob: each row shifted along x by a curve of its height.
QPointF Bend(QPointF p) { return {p.x() + 0.004 * (p.y() - 120) * (p.y() - 120) - 10, p.y()}; }

std::vector<QPointF> Circle() {
    std::vector<QPointF> curve;
    for (int k = 0; k <= 360; k += 3)
        curve.emplace_back(120 + 70 * std::cos(k * M_PI / 180), 120 + 70 * std::sin(k * M_PI / 180));
    return curve;
}

std::vector<QPointF> Across() {
    std::vector<QPointF> curve;
    for (int x = 85; x <= 155; x += 5) curve.emplace_back(x, 130 + 0.008 * (x - 120) * (x - 120));
    return curve;
}

QImage Picture(bool bent) {
    QImage image(240, 240, QImage::Format_RGB32);
    image.fill(QColor(70, 110, 150));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(235, 200, 90));
    QPolygonF outline;
    for (const QPointF& p : Circle()) outline << (bent ? Bend(p) : p);
    painter.drawPolygon(outline);
    painter.setPen(QPen(QColor(150, 60, 40), 4));
    QPolygonF mouth;
    for (const QPointF& p : Across()) mouth << (bent ? Bend(p) : p);
    painter.drawPolyline(mouth);
    return image;
}

// Draws a curve on picture k with the mouse, as a user does.
void DrawAlong(Fennix_Main& document, int k, const std::vector<QPointF>& curve, bool bent) {
    const ZoomScale zoom = document.Document.Zoom;
    const auto pane = [&](QPointF p) {
        if (bent) p = Bend(p);
        return QPointF(p.x() * zoom.Num / zoom.Den, p.y() * zoom.Num / zoom.Den);
    };
    document.P_MouseDown(k, Qt::LeftButton, pane(curve.front()).x(), pane(curve.front()).y());
    for (const QPointF& p : curve) document.P_MouseMove(k, Qt::LeftButton, pane(p).x(), pane(p).y());
    document.P_MouseUp(k, Qt::LeftButton, pane(curve.back()).x(), pane(curve.back()).y());
}

const Register strokes("strokes", [](const Context& c) {
    QTemporaryDir pictures;
    Settings.PreviewShown = true;
    const int rows = Settings.Rows, columns = Settings.Columns;
    Settings.Rows = Settings.Columns = 2;
    Fennix_Main document;
    const bool opened = OpenPair(document, Picture(false), Picture(true), pictures, QSize(900, 340));
    Settings.Rows = rows;
    Settings.Columns = columns;
    if (!opened) {
        Settings.PreviewShown = false;
        return;
    }
    document.mnuDrawStroke->trigger();
    DrawAlong(document, 1, Circle(), false);
    DrawAlong(document, 2, Circle(), true);
    DrawAlong(document, 1, Across(), false);
    DrawAlong(document, 2, Across(), true);
    document.mnuDrawStroke->trigger();
    document.SetPreviewFrame(document.Document.LastFrame / 2);
    SettleDocument(document);
    Save(&document, c.out, "document-strokes");
    Settings.PreviewShown = false;
});

const Register strokeHint("stroke-hint", [](const Context& c) {
    QTemporaryDir pictures;
    const QString startPath = pictures.filePath("start.bmp"),
                  endPath = pictures.filePath("end.bmp");
    if (!Picture(false).save(startPath, "BMP") || !Picture(true).save(endPath, "BMP")) return;
    Fennix_Mdif frame;
    frame.MDIForm_Load();
    frame.resize(900, 480);
    frame.show();
    Fennix_Main* document = frame.CreateDocument();
    document->NewMorph(startPath.toStdString(), endPath.toStdString());
    SettleDocument(*document);
    document->mnuDrawStroke->trigger();
    DrawAlong(*document, 1, Circle(), false);
    SettleDocument(*document);
    Save(&frame, c.out, "frame-stroke-hint");
    document->mnuDrawStroke->trigger();
});

}  // namespace

}  // namespace fennix::shots
