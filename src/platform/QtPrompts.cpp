#include "platform/QtPrompts.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace fennix {

MessageAnswer QtPrompts::Message(const std::string& text, const std::string& title,
                                 MessageIcon icon, MessageButtons buttons) {
    QMessageBox box(QApplication::activeWindow());
    box.setText(QString::fromStdString(text));
    box.setWindowTitle(QString::fromStdString(title));
    switch (icon) {
        case MessageIcon::None: box.setIcon(QMessageBox::NoIcon); break;
        case MessageIcon::Information: box.setIcon(QMessageBox::Information); break;
        case MessageIcon::Exclamation: box.setIcon(QMessageBox::Warning); break;
        case MessageIcon::Critical: box.setIcon(QMessageBox::Critical); break;
        case MessageIcon::Question: box.setIcon(QMessageBox::Question); break;
    }

    // Japanese button captions, as the rest of the interface.
    auto add = [&](QMessageBox::StandardButton button, const char* caption) {
        box.addButton(button)->setText(QString::fromUtf8(caption));
    };
    switch (buttons) {
        case MessageButtons::Ok: add(QMessageBox::Ok, "OK"); break;
        case MessageButtons::OkCancel:
            add(QMessageBox::Ok, "OK");
            add(QMessageBox::Cancel, "キャンセル");
            break;
        case MessageButtons::YesNo:
            add(QMessageBox::Yes, "はい(&Y)");
            add(QMessageBox::No, "いいえ(&N)");
            break;
        case MessageButtons::YesNoCancel:
            add(QMessageBox::Yes, "はい(&Y)");
            add(QMessageBox::No, "いいえ(&N)");
            add(QMessageBox::Cancel, "キャンセル");
            break;
        case MessageButtons::RetryCancel:
            add(QMessageBox::Retry, "再試行(&R)");
            add(QMessageBox::Cancel, "キャンセル");
            break;
    }

    switch (box.exec()) {
        case QMessageBox::Yes: return MessageAnswer::Yes;
        case QMessageBox::No: return MessageAnswer::No;
        case QMessageBox::Retry: return MessageAnswer::Retry;
        case QMessageBox::Cancel: return MessageAnswer::Cancel;
        default:
            return buttons == MessageButtons::Ok ? MessageAnswer::Ok : MessageAnswer::Cancel;
    }
}

}  // namespace fennix
