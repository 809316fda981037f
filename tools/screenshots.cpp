// Renders every window of Fennix into PNG files, so that a person can look
// at the interface without a desktop: fennix-screenshots <output folder>.
// Run it on the offscreen platform (QT_QPA_PLATFORM=offscreen).
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFontDatabase>
#include <QMdiArea>
#include <QMenu>
#include <QTemporaryDir>
#include <cstdio>

#include <map>

#include "Shots.h"
#include "core/AppFolder.h"
#include "media/ImageFile.h"
#include "model/Settings.h"
#include "ui/common/DesktopLook.h"
#include "ui/common/QtTranslation.h"
#include "ui/document/Fennix_Main.h"
#include "ui/frame/Fennix_Mdif.h"

namespace fennix::shots {

namespace {

int failures = 0;

std::map<std::string, std::function<void(const Context&)>>& Registry() {
    static std::map<std::string, std::function<void(const Context&)>> registry;
    return registry;
}

}  // namespace

Register::Register(const char* name, std::function<void(const Context&)> shoot) {
    Registry()[name] = std::move(shoot);
}

void SettleDocument(const Fennix_Main& document) {
    QElapsedTimer clock;
    clock.start();
    while ((document.FitRunning() || document.PreviewBusy()) && clock.elapsed() < 20000)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    QApplication::processEvents();
}

bool OpenPair(Fennix_Main& document, const QImage& start, const QImage& end, const QTemporaryDir& folder,
              QSize size) {
    const QString startPath = folder.filePath("start.bmp"), endPath = folder.filePath("end.bmp");
    if (!start.save(startPath, "BMP") || !end.save(endPath, "BMP")) return false;
    document.resize(size);
    document.NewMorph(startPath.toStdString(), endPath.toStdString());
    SettleDocument(document);
    return true;
}

void Save(QWidget* widget, const QDir& folder, const QString& name) {
    widget->ensurePolished();
    const QString path = folder.filePath(name + ".png");
    if (widget->grab().save(path)) {
        std::printf("%s\n", qPrintable(path));
    } else {
        std::fprintf(stderr, "could not write %s\n", qPrintable(path));
        ++failures;
    }
}

std::string EnlargedPhoto(const std::string& sample, const QTemporaryDir& folder,
                          const char* name, QSize size) {
    const auto image = LoadImageFile(sample);
    const std::string path = folder.filePath(name).toStdString();
    if (image)
        image->scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
            .save(QString::fromStdString(path), "JPEG", 90);
    return path;
}

QPalette DarkPalette() {
    QPalette dark;
    const QColor window(0x2B, 0x2B, 0x2E), base(0x1E, 0x1E, 0x20), text(0xE8, 0xE8, 0xE8);
    dark.setColor(QPalette::Window, window);
    dark.setColor(QPalette::WindowText, text);
    dark.setColor(QPalette::Base, base);
    dark.setColor(QPalette::AlternateBase, window);
    dark.setColor(QPalette::Text, text);
    dark.setColor(QPalette::Button, QColor(0x3A, 0x3A, 0x3E));
    dark.setColor(QPalette::ButtonText, text);
    dark.setColor(QPalette::Light, QColor(0x55, 0x55, 0x5A));
    dark.setColor(QPalette::Midlight, QColor(0x48, 0x48, 0x4C));
    dark.setColor(QPalette::Mid, QColor(0x30, 0x30, 0x33));
    dark.setColor(QPalette::Dark, QColor(0x18, 0x18, 0x1A));
    dark.setColor(QPalette::Shadow, Qt::black);
    dark.setColor(QPalette::Highlight, QColor(0x3D, 0x7A, 0xD6));
    dark.setColor(QPalette::HighlightedText, Qt::white);
    dark.setColor(QPalette::ToolTipBase, window);
    dark.setColor(QPalette::ToolTipText, text);
    dark.setColor(QPalette::PlaceholderText, QColor(0x90, 0x90, 0x90));
    dark.setColor(QPalette::Link, QColor(0x7A, 0xB4, 0xFF));
    for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        dark.setColor(QPalette::Disabled, role, QColor(0x80, 0x80, 0x80));
    return dark;
}

namespace {

void SaveMenu(QMenu* menu, const QDir& folder, const QString& name) {
    menu->adjustSize();
    Save(menu, folder, name);
}

}  // namespace

}  // namespace fennix::shots

using namespace fennix::shots;

int main(int argc, char* argv[]) {
    // The windows in the language the environment chooses (FENNIX_LANG).
    const fennix::Language language = fennix::LanguageFromEnvironment();
    fennix::PrepareLanguage(language);
    QApplication app(argc, argv);
    const auto translators = fennix::InstallLanguage(language);
    fennix::UseDesktopFont();
    // FENNIX_SHOTS_PALETTE=dark: the windows under a dark desktop theme.
    if (qEnvironmentVariable("FENNIX_SHOTS_PALETTE") == "dark") {
        QApplication::setStyle("Fusion");
        QApplication::setPalette(DarkPalette());
    }
    const QDir out(argc > 1 ? argv[1] : "screenshots");
    QDir().mkpath(out.path());

    // A fresh application folder, so the windows show their defaults.
    QTemporaryDir appFolder;
    fennix::SetApplicationFolder(appFolder.path().toStdString());
    const std::string samples = FENNIX_SAMPLES_DIR;

    fennix::Fennix_Mdif frame;
    frame.MDIForm_Load();
    frame.show();
    QApplication::processEvents();
    Save(&frame, out, "frame");
    SaveMenu(frame.mnuFile, out, "frame-menu-file");
    SaveMenu(frame.mnuView, out, "frame-menu-viewer");

    fennix::Fennix_Main* document = frame.CreateDocument();
    if (!document->NewMorph(samples + "/sun.bmp", samples + "/moon.bmp")) ++failures;
    QApplication::processEvents();
    Save(&frame, out, "document");
    for (int i = 0; i < document->Menus().size(); ++i)
        SaveMenu(document->Menus()[i], out, QString("document-menu-%1").arg(i + 1));

    // The other windows, area by area, each on a fresh application folder;
    // names after the output folder choose some areas only.
    const QStringList only = QApplication::arguments().mid(2);
    for (const auto& [name, shoot] : Registry()) {
        if (!only.isEmpty() && !only.contains(QString::fromStdString(name))) continue;
        QTemporaryDir folder;
        fennix::SetApplicationFolder(folder.path().toStdString());
        fennix::LoadSettings();  // no settings file there: a fresh installation's values
        shoot(Context{out, samples});
        QApplication::processEvents();
    }
    return failures == 0 ? 0 : 1;
}
