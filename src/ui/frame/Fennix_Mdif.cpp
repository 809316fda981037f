#include "ui/frame/Fennix_Mdif.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QIcon>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QMimeData>
#include <QTimer>
#include <string>
#include <vector>

#include "core/AppFolder.h"
#include "core/Paths.h"
#include "core/Prompts.h"
#include "core/Translation.h"
#include "model/LaunchFiles.h"
#include "model/ProgramFiles.h"
#include "model/RecentFiles.h"
#include "model/Settings.h"
#include "ui/common/HelpWindows.h"
#include "ui/common/cFileDlg.h"
#include "ui/document/Fennix_Main.h"
#include "ui/frame/Fennix_Chain.h"
#include "ui/frame/Fennix_Opt.h"
#include "ui/output/Fennix_Avi.h"
#include "ui/output/Fennix_Video.h"
#include "ui/output/Fennix_View.h"
#include "ui/output/Fennix_aviView.h"
#include "ui/prepare/Fennix_Pic.h"

namespace fennix {

Fennix_Mdif::Fennix_Mdif() {
    setWindowTitle(QString::fromUtf8(kAppTitle));
    // Every window without an icon of its own takes the application's.
    if (QApplication::windowIcon().isNull())
        QApplication::setWindowIcon(QIcon(":/fennix.svg"));
    resize(1024, 720);
    mdiArea_ = new QMdiArea(this);
    mdiArea_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdiArea_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(mdiArea_);
    // The status bar tells where the pointer is in the active document's
    // pictures and its zoom.
    lblPointer = new QLabel(this);
    statusBar()->addPermanentWidget(lblPointer);
    BuildMenu();
    // A project dropped anywhere on the frame opens (two pictures: a new
    // morph with them picked).
    setAcceptDrops(true);
    RunSourceDialog = [](Fennix_Pic& dialog) { dialog.exec(); };
    RunViewer = [this] { ShowFrameViewer(this, ChooseViewerFolder); };
    RunOptionsDialog = [](Fennix_Opt& dialog) { dialog.exec(); };
    connect(mdiArea_, &QMdiArea::subWindowActivated, this, &Fennix_Mdif::ShowMenusOf);
    connect(mdiArea_, &QMdiArea::subWindowActivated, this, [](QMdiSubWindow* sub) {
        if (auto* document = sub ? qobject_cast<Fennix_Main*>(sub->widget()) : nullptr)
            document->Form_Activate();
    });
}

Fennix_Mdif::~Fennix_Mdif() {
    // The area and the documents go away after this object's own part:
    // stop their signals from reaching a half-destroyed frame.
    mdiArea_->disconnect(this);
    for (Fennix_Main* document : Documents()) document->disconnect(this);
}

void Fennix_Mdif::BuildMenu() {
    auto text = [](const char* caption) { return QString::fromUtf8(caption); };

    mnuFile = new QMenu(text(Tr("Fennix_Mdif", " ファイル")), this);
    mnuNewMorph = mnuFile->addAction(text(Tr("Fennix_Mdif", "新規(&N)")));
    mnuNewMorph->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    mnuOpenMorph = mnuFile->addAction(text(Tr("Fennix_Mdif", "開く(&O)")));
    mnuOpenMorph->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    mnudmy1 = mnuFile->addSeparator();
    for (int n = 1; n <= kRecentFileCount; ++n) {
        mnuRecent[n] = mnuFile->addAction(QString());
        mnuRecent[n]->setVisible(false);
        connect(mnuRecent[n], &QAction::triggered, this, [this, n] { mnuRecent_Click(n); });
    }
    mnudmy2 = mnuFile->addSeparator();
    mnudmy2->setVisible(false);
    mnuEnd = mnuFile->addAction(text(Tr("Fennix_Mdif", "Fennixの終了(&E)")));
    // Ctrl+Q as in every other desktop program, beside the program's own.
    mnuEnd->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_E), QKeySequence(Qt::CTRL | Qt::Key_Q)});
    connect(mnuEnd, &QAction::triggered, this, &QWidget::close);
    // The chain of projects follows the specified items.
    mnuFile->addSeparator();
    mnuChain = mnuFile->addAction(text(Tr("Fennix_Mdif", "連続モーフィング")));

    mnuOption = new QAction(text(Tr("Fennix_Mdif", "オプション")), this);

    mnuView = new QMenu(text(Tr("Fennix_Mdif", "ビューア")), this);
    mnuMo = mnuView->addAction(text(Tr("Fennix_Mdif", "モーフィングデータ(&M)")));
    mnuMo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_M));
    mnuAVI = mnuView->addAction(text(Tr("Fennix_Mdif", "AVI ファイル(&A)")));
    mnuAVI->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_A));
    mnuVideo = mnuView->addAction(text(Tr("Fennix_Mdif", "動画ファイルの書き出し(&V)")));

    connect(mnuNewMorph, &QAction::triggered, this, &Fennix_Mdif::mnuNewMorph_Click);
    connect(mnuMo, &QAction::triggered, this, &Fennix_Mdif::mnuMo_Click);
    connect(mnuChain, &QAction::triggered, this, &Fennix_Mdif::mnuChain_Click);
    connect(mnuOpenMorph, &QAction::triggered, this, &Fennix_Mdif::mnuOpenMorph_Click);
    connect(mnuAVI, &QAction::triggered, this, [this] { ShowAviPlayer(this); });
    connect(mnuVideo, &QAction::triggered, this, [this] { ShowVideoExport(this); });
    connect(mnuOption, &QAction::triggered, this, &Fennix_Mdif::mnuOption_Click);

    // The frame's shortcuts work also while a document's menu is shown.
    addActions({mnuNewMorph, mnuOpenMorph, mnuEnd, mnuMo, mnuAVI});

    frameMenuBar_ = {mnuFile->menuAction(), mnuOption, mnuView->menuAction()};
    // ヘルプ ends the frame's menu bar and every document's.
    mnuHelp = BuildHelpMenu(this);
    ShowMenusOf(nullptr);
}

void Fennix_Mdif::ShowMenusOf(QMdiSubWindow* active) {
    // While a modal box is up the area has no active window; keep showing
    // the menu of the window that was active.
    if (!active) active = mdiArea_->currentSubWindow();
    QMenuBar* bar = menuBar();
    bar->clear();
    auto* document = active ? qobject_cast<Fennix_Main*>(active->widget()) : nullptr;
    if (document) {
        for (QMenu* menu : document->Menus()) bar->addMenu(menu);
    } else {
        for (QAction* action : frameMenuBar_) bar->addAction(action);
    }
    bar->addMenu(mnuHelp);
    lblPointer->setText(document ? document->PointerStatus() : QString());
    ShowHint(document ? document->Hint() : QString());
}

void Fennix_Mdif::ShowHint(const QString& hint) {
    if (hint.isEmpty())
        statusBar()->clearMessage();
    else
        statusBar()->showMessage(hint);
}

Fennix_Main* Fennix_Mdif::CreateDocument() {
    auto* document = new Fennix_Main;
    QMdiSubWindow* sub = mdiArea_->addSubWindow(document);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    sub->hide();
    connect(document, &Fennix_Main::RecentFilesChanged, this, &Fennix_Mdif::RebuildRecentMenu);
    connect(document, &Fennix_Main::PointerStatusChanged, this, [this, sub](const QString& status) {
        if (mdiArea_->currentSubWindow() == sub) lblPointer->setText(status);
    });
    connect(document, &Fennix_Main::HintChanged, this, [this, sub](const QString& hint) {
        if (mdiArea_->currentSubWindow() == sub) ShowHint(hint);
    });
    connect(document, &Fennix_Main::Unloaded, this, [this, sub] {
        mdiArea_->removeSubWindow(sub);
        ShowMenusOf(mdiArea_->activeSubWindow());
    });
    return document;
}

void Fennix_Mdif::mnuNewMorph_Click() {
    NewMorphWith({}, {});
}

void Fennix_Mdif::NewMorphWith(const std::string& startPicture, const std::string& endPicture) {
    Settings.IsNewMorph = true;
    Fennix_Pic dialog(this);
    if (!startPicture.empty()) dialog.PickPicture(0, startPicture);
    if (!endPicture.empty()) dialog.PickPicture(1, endPicture);
    dialog.Confirmed = [this](const std::string& start, const std::string& end) {
        Fennix_Main* document = CreateDocument();
        document->Document.SourcePath[0] = StartSourcePath;
        document->Document.SourcePath[1] = EndSourcePath;
        document->NewMorph(start, end);
    };
    RunSourceDialog(dialog);
}

void Fennix_Mdif::mnuOption_Click() {
    Settings.DialogConfirmed = false;
    {
        Fennix_Opt dialog(this);
        RunOptionsDialog(dialog);
    }
    RebuildRecentMenu();
}

void Fennix_Mdif::mnuChain_Click() {
    ShowMorphChain(this, [this] { RunViewer(); });
}

void Fennix_Mdif::mnuMo_Click() {
    Settings.ViewerFromMenu = true;
    Settings.FrameFolder() = ApplicationFolder();
    RunViewer();
}

QList<Fennix_Main*> Fennix_Mdif::Documents() const {
    QList<Fennix_Main*> documents;
    for (QMdiSubWindow* sub : mdiArea_->subWindowList())
        if (auto* document = qobject_cast<Fennix_Main*>(sub->widget())) documents.append(document);
    return documents;
}

void Fennix_Mdif::MDIForm_Load() {
    OpenProgramFiles();
    RunStep([this] { RebuildRecentMenu(); });
}

void Fennix_Mdif::RebuildRecentMenu() {
    const RecentMenu menu = RecentMenuFor(Settings);
    mnudmy1->setVisible(true);
    if (!menu.valid) {
        mnudmy2->setVisible(false);
        return;
    }
    for (int n = 1; n <= kRecentFileCount; ++n) {
        mnuRecent[n]->setVisible(!menu.captions[n].empty());
        // "&&" shows an ampersand in a path as itself, not as a mnemonic.
        if (!menu.captions[n].empty())
            mnuRecent[n]->setText(QString::fromStdString(menu.captions[n]).replace("&", "&&"));
    }
    mnudmy2->setVisible(menu.separator);
}

void Fennix_Mdif::mnuOpenMorph_Click() {
    cFileDlg dialog;
    dialog.DlgTitle = Tr("Fennix_Mdif", "ファイルを開く");
    dialog.Filter = Tr("Fennix_Mdif", "モーフィングファイル (*.mph)|*.mph");
    Settings.DialogFolder() = Settings.ProjectFolder();
    std::string path, title;
    if (!dialog.VBGetOpenFileName(path, title)) return;
    Settings.IsNewMorph = false;
    Settings.ProjectFolder() = PathFolder(path);
    CreateDocument()->OpenMorph(path);
}

void Fennix_Mdif::OpenFiles(const std::vector<std::string>& files,
                            const std::string& workingFolder) {
    const LaunchPlan plan = PlanLaunch(files, workingFolder);
    for (const std::string& path : plan.Projects) {
        Settings.IsNewMorph = false;
        Settings.ProjectFolder() = PathFolder(path);
        CreateDocument()->OpenMorph(path);
    }
    // Said before the picture dialog, which waits for the user.
    if (!plan.Refused.empty()) ShowMessage(plan.Refused, MessageIcon::Exclamation);
    if (!plan.StartPicture.empty()) NewMorphWith(plan.StartPicture, plan.EndPicture);
}

void Fennix_Mdif::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void Fennix_Mdif::dropEvent(QDropEvent* event) {
    const std::vector<std::string> files = Fennix_Pic::DroppedFiles(event->mimeData());
    event->acceptProposedAction();
    // Opened once the drag has ended: the source waits for the drop to
    // return, and a project's messages or the picture dialog would keep it.
    QTimer::singleShot(0, this, [this, files] { OpenFiles(files, {}); });
}

void Fennix_Mdif::mnuRecent_Click(int n) {
    const std::string path = Settings.RecentFiles[n];
    Settings.DialogFolder() = Settings.ProjectFolder();
    Settings.IsNewMorph = false;
    Settings.ProjectFolder() = PathFolder(path);
    CreateDocument()->OpenMorph(path);
}

void Fennix_Mdif::MDIForm_Unload() {
    if (unloaded_) return;
    unloaded_ = true;
    // A document still open keeps its images (see CloseProgramFiles).
    std::vector<std::string> inUse;
    RunStep([&] {
        for (Fennix_Main* document : Documents())
            for (int k = 1; k <= 2; ++k) inUse.push_back(document->Document.Matrix(k).ImagePath);
    });
    CloseProgramFiles(inUse);
}

void Fennix_Mdif::closeEvent(QCloseEvent* event) {
    // A dialog making a file (AVI, video) asks first. Yes stops its job and
    // closes it; the program closes once that dialog has returned to the
    // one who opened it (see ShowVideoExport), not here, deep inside its
    // wait, where the documents going away would take the dialog along.
    bool stopped = false;
    for (ProgramDialog* dialog : findChildren<ProgramDialog*>()) {
        if (!dialog->JobRunning()) continue;
        if (!dialog->QueryStopForClose()) {
            event->ignore();
            return;
        }
        stopped = true;
    }
    if (stopped) {
        event->ignore();
        return;
    }
    // Every document may veto first; only then does any of them close, so a
    // cancelled close leaves all windows as they were.
    const QList<Fennix_Main*> documents = Documents();
    for (Fennix_Main* document : documents) {
        if (!document->QueryUnload()) {
            event->ignore();
            return;
        }
    }
    for (Fennix_Main* document : documents) document->Unload();
    MDIForm_Unload();
    event->accept();
}

}  // namespace fennix
