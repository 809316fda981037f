#include "ui/common/QtPrompts.h"

#include <QFile>
#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <algorithm>

#include "core/Translation.h"
#include "media/PackedColor.h"
#include "ui/common/QtTranslation.h"

namespace fennix {

namespace {
// The result of a message box closed by WithdrawMessage: no button's.
constexpr int kWithdrawn = -2;
}  // namespace

MessageAnswer QtPrompts::Message(const std::string& text, const std::string& title,
                                 MessageIcon icon, MessageButtons buttons) {
    QMessageBox box(QApplication::activeWindow());
    box.setText(QString::fromStdString(text));
    box.setWindowTitle(QString::fromStdString(title));
    switch (icon) {
        case MessageIcon::None:
            box.setIcon(QMessageBox::NoIcon);
            break;
        case MessageIcon::Information:
            box.setIcon(QMessageBox::Information);
            break;
        case MessageIcon::Exclamation:
            box.setIcon(QMessageBox::Warning);
            break;
        case MessageIcon::Critical:
            box.setIcon(QMessageBox::Critical);
            break;
        case MessageIcon::Question:
            box.setIcon(QMessageBox::Question);
            break;
    }

    // Japanese button captions, as the rest of the interface.
    auto add = [&](QMessageBox::StandardButton button, const char* caption) {
        box.addButton(button)->setText(QString::fromUtf8(caption));
    };
    switch (buttons) {
        case MessageButtons::Ok:
            add(QMessageBox::Ok, "OK");
            break;
        case MessageButtons::OkCancel:
            add(QMessageBox::Ok, "OK");
            add(QMessageBox::Cancel, Tr("QtPrompts", "キャンセル"));
            break;
        case MessageButtons::YesNo:
            add(QMessageBox::Yes, Tr("QtPrompts", "はい(&Y)"));
            add(QMessageBox::No, Tr("QtPrompts", "いいえ(&N)"));
            break;
        case MessageButtons::YesNoDefaultNo:
            add(QMessageBox::Yes, Tr("QtPrompts", "はい(&Y)"));
            add(QMessageBox::No, Tr("QtPrompts", "いいえ(&N)"));
            box.setDefaultButton(QMessageBox::No);
            break;
        case MessageButtons::YesNoCancel:
            add(QMessageBox::Yes, Tr("QtPrompts", "はい(&Y)"));
            add(QMessageBox::No, Tr("QtPrompts", "いいえ(&N)"));
            add(QMessageBox::Cancel, Tr("QtPrompts", "キャンセル"));
            break;
        case MessageButtons::RetryCancel:
            add(QMessageBox::Retry, Tr("QtPrompts", "再試行(&R)"));
            add(QMessageBox::Cancel, Tr("QtPrompts", "キャンセル"));
            break;
    }

    open_.push_back(&box);
    const int result = box.exec();
    open_.erase(std::find(open_.begin(), open_.end(), &box));
    if (result == kWithdrawn) return MessageAnswer::Cancel;
    switch (result) {
        case QMessageBox::Yes:
            return MessageAnswer::Yes;
        case QMessageBox::No:
            return MessageAnswer::No;
        case QMessageBox::Retry:
            return MessageAnswer::Retry;
        case QMessageBox::Cancel:
            return MessageAnswer::Cancel;
        default:
            return buttons == MessageButtons::Ok ? MessageAnswer::Ok : MessageAnswer::Cancel;
    }
}

void QtPrompts::WithdrawMessage() {
    if (!open_.empty()) open_.back()->done(kWithdrawn);
}

QString QtFilterText(const std::string& description, const std::string& patterns) {
    QString text = QString::fromStdString(description);
    QString list = QString::fromStdString(patterns);
    list.replace(';', ' ');
    // A description that already ends in its pattern list keeps its words
    // and only gets the separators Qt understands.
    const qsizetype open = text.lastIndexOf('(');
    if (open >= 0 && text.endsWith(')')) return text.left(open + 1) + list + ")";
    return text + " (" + list + ")";
}

FileAnswer QtPrompts::ChooseFile(const FileRequest& request) {
    JapaneseFileIcons icons;  // outlives the dialog, which uses it to the end
    QFileDialog dialog(QApplication::activeWindow(), QString::fromStdString(request.Title),
                       QString::fromStdString(request.Folder));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setIconProvider(&icons);
    dialog.setAcceptMode(request.Save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(request.Save || !request.FileMustExist ? QFileDialog::AnyFile
                                                              : QFileDialog::ExistingFile);
    if (!request.DefaultExt.empty())
        dialog.setDefaultSuffix(QString::fromStdString(request.DefaultExt));
    QStringList filters;
    for (size_t i = 0; i + 1 < request.Filters.size(); i += 2)
        filters << QtFilterText(request.Filters[i], request.Filters[i + 1]);
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        const int index = std::clamp(request.FilterIndex, 1, static_cast<int>(filters.size()));
        dialog.selectNameFilter(filters[index - 1]);
    }
    if (!request.FileName.empty()) dialog.selectFile(QString::fromStdString(request.FileName));

    for (;;) {
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
        const QString path = dialog.selectedFiles().first();
        if (request.Save && request.OverwritePrompt && QFileInfo::exists(path)) {
            const std::string question =
                OverwriteQuestion(QFileInfo(path).fileName().toStdString());
            if (Message(question, request.Title, MessageIcon::Exclamation, MessageButtons::YesNo) !=
                MessageAnswer::Yes)
                continue;  // back to the dialog, as the user expects
        }
        FileAnswer answer;
        answer.Confirmed = true;
        answer.Path = QFile::encodeName(path).toStdString();
        answer.FilterIndex = static_cast<int>(filters.indexOf(dialog.selectedNameFilter())) + 1;
        return answer;
    }
}

int32_t QtPrompts::PickColor(int32_t color) {
    // Every choice starts with the 16 custom colours white: what an earlier
    // choice put there does not carry over.
    for (int i = 0; i < QColorDialog::customCount(); ++i)
        QColorDialog::setCustomColor(i, Qt::white);
    QColorDialog dialog(ColorFromPacked(color), QApplication::activeWindow());
    dialog.setOption(QColorDialog::DontUseNativeDialog);
    if (dialog.exec() != QDialog::Accepted) return -1;
    return PackedFromColor(dialog.selectedColor());
}

bool QtPrompts::ChooseFolder(const std::string& title, const std::string& start,
                             std::string& folder) {
    JapaneseFileIcons icons;  // outlives the dialog, which uses it to the end
    QFileDialog dialog(QApplication::activeWindow(), QString::fromStdString(title),
                       QString::fromStdString(start));
    dialog.setOptions(QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setIconProvider(&icons);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
    const QString chosen = dialog.selectedFiles().first();
    if (chosen.isEmpty()) return false;
    folder = QFile::encodeName(chosen).toStdString();
    return true;
}

}  // namespace fennix
