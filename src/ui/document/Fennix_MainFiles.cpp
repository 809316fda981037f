// The document window's project files: opening, saving, closing.
#include "ui/document/Fennix_Main.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QUndoStack>

#include <filesystem>
#include <system_error>

#include "core/Paths.h"
#include "core/Prompts.h"
#include "core/Translation.h"
#include "model/ImageRelocation.h"
#include "model/ProjectCopy.h"
#include "model/ProjectFile.h"
#include "model/RecentFiles.h"
#include "model/Settings.h"
#include "ui/common/PaneWidget.h"
#include "ui/common/cFileDlg.h"

namespace fennix {

bool Fennix_Main::OpenMorph(const std::string& path) {
    OuterWindow()->hide();
    MorphProject project;
    const std::string message = LoadMorphFile(path, project);
    if (!message.empty()) {
        ShowMessage(message, MessageIcon::Critical);
        Unload();
        return false;
    }
    Settings.FrameFolder() = project.Folder;
    Settings.BackgroundColor = project.BackgroundColor;
    Document.LastFrame = project.LastFrame;
    Document.Run = project.Additions.Run;
    Document.FacePairs = project.Additions.FacePairs;
    Document.DetailPairs = project.Additions.DetailPairs;
    Document.Matrix(1) = project.Matrix1;
    Document.Matrix(2) = project.Matrix2;

    for (int k = 1; k <= 2; ++k) {
        const std::string& image = Document.Matrix(k).ImagePath;
        if (!LoadImage(k, image)) {
            ShowMessage(image + Tr("Fennix_MainFiles", "が無効です。"), MessageIcon::Exclamation);
            Unload();
            return false;
        }
    }

    Document.FileName = path;
    Pb->SetBackColor(Settings.BackgroundColor);
    Panes.MorphT.SetBackColor(Settings.BackgroundColor);
    setWindowTitle(QString::fromStdString(path));
    ShowWindow();
    OpenAtFittingZoom();
    mnuSaveMorph->setEnabled(true);
    ArrangeViews();
    SetDirty(false);
    return true;
}

bool Fennix_Main::RelocateImages() {
    const bool relocated =
        RelocateDocumentImages(Document, Settings.TempFolder, Settings.ImageFolder);
    // A project referring to the temporary folder would lose its images
    // when they are cleaned up: it is not written at all.
    if (!relocated)
        ShowMessage(
            Format(Tr("Fennix_MainFiles",
                      "%1に画像を保存できませんでした。\nプロジェクトは保存されていません。"),
                   {Settings.ImageFolder}),
            MessageIcon::Critical);
    return relocated;
}

bool Fennix_Main::WriteProject(const std::string& path) {
    const std::string message = SaveMorphFile(
        path, Document.Matrix(1), Document.Matrix(2), Settings.ProjectFolder(), Document.LastFrame,
        Settings.BackgroundColor, nullptr, ProjectAdditions{Document.Run, Document.FacePairs, Document.DetailPairs});
    if (!message.empty()) {
        // The work is not safe yet: the document stays marked as changed.
        ShowMessage(message, MessageIcon::Critical);
        return false;
    }
    MarkSaved();
    return true;
}

std::string Fennix_Main::AskProjectPath(const char* title, std::string& chosen) {
    std::string target;
    for (;;) {
        cFileDlg dialog;
        dialog.DlgTitle = title;
        dialog.Filter = Tr("Fennix_MainFiles", "モーフィングファイル (*.mph)|*.mph");
        dialog.OverwritePrompt = true;
        Settings.DialogFolder() = Settings.ProjectFolder();
        std::string fileTitle;
        if (!dialog.VBGetSaveFileName(chosen, fileTitle)) return {};

        target = ProjectFileTarget(chosen);
        // The dialog asked about the name as typed; when ".mph" is added the
        // file actually written is another one, which must not be replaced
        // without the same question. No goes back to the dialog.
        std::error_code error;
        if (target == chosen || !std::filesystem::is_regular_file(target, error)) break;
        if (CurrentPrompts().Message(OverwriteQuestion(PathFileName(target)), title,
                                     MessageIcon::Exclamation,
                                     MessageButtons::YesNo) == MessageAnswer::Yes)
            break;
    }
    return target;
}

void Fennix_Main::SaveUnderName(bool addToRecentFiles) {
    std::string chosen;
    const std::string target = AskProjectPath(Tr("Fennix_MainFiles", "ファィルの保存"), chosen);
    if (target.empty()) return;
    // A failed write leaves the document as it was: still changed, under
    // its old name, and not in the recent-file list.
    if (!WriteProject(target)) return;
    Document.FileName = target;
    Settings.ProjectFolder() = PathFolder(chosen);
    if (addToRecentFiles) {
        AddRecentFile(target);
        emit RecentFilesChanged();
    }
}

void Fennix_Main::mnuSaveMorph_Click() {
    Settings.BackgroundColor = Pb->BackColor();
    // Only a new document has prepared images to relocate; for any other
    // this does nothing.
    if (!RelocateImages()) return;
    if (!Document.FileName.empty() && FileExists(Document.FileName)) {
        WriteProject(Document.FileName);
        return;
    }
    SaveUnderName(false);
}

void Fennix_Main::mnuSaveName_Click() {
    Settings.BackgroundColor = Pb->BackColor();
    if (!RelocateImages()) return;
    SaveUnderName(true);
}

void Fennix_Main::mnuSaveWithPictures_Click() {
    Settings.BackgroundColor = Pb->BackColor();
    if (!RelocateImages()) return;
    std::string chosen;
    const std::string target = AskProjectPath(Tr("Fennix_MainFiles", "画像と一緒に保存"), chosen);
    if (target.empty()) return;
    const std::string message = SaveProjectWithPictures(
        target, Document.Matrix(1), Document.Matrix(2), Settings.ProjectFolder(),
        Document.LastFrame, Settings.BackgroundColor,
        ProjectAdditions{Document.Run, Document.FacePairs, Document.DetailPairs});
    if (!message.empty()) {
        ShowMessage(message, MessageIcon::Critical);
        return;
    }
    ShowMessage(Format(Tr("Fennix_MainFiles", "%1に保存しました。"), {PathFolder(target)}),
                MessageIcon::Information);
}

void Fennix_Main::ComeToFront() {
    if (unloading_ || !OuterWindow()->isVisible()) return;
    if (auto* sub = qobject_cast<QMdiSubWindow*>(OuterWindow()); sub && sub->mdiArea())
        sub->mdiArea()->setActiveSubWindow(sub);
    OuterWindow()->raise();
    // The frame gives the focus back to the widget that had it when it is
    // activated again, and the document holding that widget becomes the
    // active one: the focus moves here.
    setFocus(Qt::ActiveWindowFocusReason);
    // The frame (or this window) becomes the desktop's active window, so the
    // next command goes to this document.
    window()->activateWindow();
}

bool Fennix_Main::QueryUnload() {
    // Questions about this document: it comes to the front first.
    if (run_.Running()) {
        // A run may have hours to go; closing ends it only when the user
        // says so. The frames written so far stay either way.
        ComeToFront();
        askingToStop_ = true;
        runEndedWhileAsking_ = false;
        const MessageAnswer answer =
            ShowMessage(Tr("Fennix_Main", kStopRunQuestion), MessageIcon::Question,
                        MessageButtons::YesNoDefaultNo);
        askingToStop_ = false;
        // A run that ended while the question was up took the question
        // with it: there is nothing left to stop, and the close goes on.
        if (!runEndedWhileAsking_) {
            if (answer != MessageAnswer::Yes) return false;
            StopRunForClose();
        }
    }
    if (!Document.Dirty) return true;
    ComeToFront();
    switch (ShowMessage(Tr("Fennix_MainFiles", "変更されています。保存しますか？"),
                        MessageIcon::Question, MessageButtons::YesNoCancel)) {
        case MessageAnswer::Cancel:
            return false;
        case MessageAnswer::Yes:
            // A save that was cancelled or failed keeps the window (and a
            // closing program) open, so the changes are not lost.
            mnuSaveMorph_Click();
            return !Document.Dirty;
        default:
            return true;
    }
}

}  // namespace fennix
