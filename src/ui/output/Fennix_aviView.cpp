#include "ui/output/Fennix_aviView.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>

#include "core/Translation.h"
#include "media/AviFrames.h"
#include "media/PicturePane.h"
#include "model/Settings.h"
#include "model/ViewerLayout.h"

namespace fennix {

namespace {
constexpr int kDesignWidth = 232;
constexpr int kDesignHeight = 244;
}  // namespace

Fennix_aviView::Fennix_aviView(QWidget* owner) : ProgramDialog(owner) {
    setWindowTitle(QString::fromUtf8(Tr("Fennix_aviView", "AVIのビューア")));
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setModal(true);
    setAutoFillBackground(true);
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);
    picVideo = new QWidget(this);
    picVideo->setAutoFillBackground(true);
    picVideo->setPalette(black);
    picVideo->setGeometry(0, 0, kDesignWidth, kDesignHeight);
    resize(kDesignWidth, kDesignHeight);
    Timer1.setSingleShot(true);
    Timer1.setInterval(1);
    connect(&Timer1, &QTimer::timeout, this, &Fennix_aviView::Timer1_Timer);
}

Fennix_aviView::~Fennix_aviView() {
    Player.Stop();
    Player.Close();
}

void Fennix_aviView::Form_Load() {
    lbl_Path = AviPlayPath;
    Player.Open(lbl_Path);
    // The picture takes the video's own size; a file that did not open
    // leaves it at its design size.
    // A video larger than the screen is shown scaled down to fit it.
    const QSize natural = Player.NaturalSize();
    const QScreen* shown = screen() ? screen() : QGuiApplication::primaryScreen();
    const QRect available = shown ? shown->availableGeometry() : QRect(0, 0, 1024, 768);
    if (natural.isValid() && !natural.isEmpty())
        picVideo->resize(FitSize(natural.width(), natural.height(), available.width(),
                                 available.height()));
    setFixedSize(picVideo->size());

    OpenFromCursor(size());
    Timer1.start();
}

void Fennix_aviView::Timer1_Timer() {
    Timer1.stop();
    for (int n = 1; n <= Settings.AviRepeat && !closing_; ++n) {
        // The first play finds the file still open from the opening.
        Player.Open(lbl_Path);
        Player.Place(picVideo, QRect(0, 0, picVideo->width(), picVideo->height()));
        ++PlaysStarted;
        Player.Play();
        Player.Close();
    }
    if (!closing_) accept();
}

void Fennix_aviView::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_Space) {
        reject();
        return;
    }
    QDialog::keyPressEvent(event);
}

void Fennix_aviView::done(int result) {
    if (closing_) return;
    closing_ = true;
    Timer1.stop();
    Player.Stop();
    Player.Close();
    QDialog::done(result);
    ZoomBackToCursor();
}

void PlayAvi(QWidget* owner) {
    Fennix_aviView player(owner);
    player.Form_Load();
    player.exec();
}

}  // namespace fennix
