#include "platform/QtPrompts.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>

namespace lorvane {

namespace {

QMessageBox::Icon toQtIcon(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Critical:
            return QMessageBox::Critical;
        case MessageIcon::Question:
            return QMessageBox::Question;
        case MessageIcon::Exclamation:
            return QMessageBox::Warning;
        case MessageIcon::Information:
            return QMessageBox::Information;
        case MessageIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

struct ButtonSet {
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton escape;
};

ButtonSet toQtButtons(MessageButtons buttons) {
    switch (buttons) {
        case MessageButtons::Ok:
            return {QMessageBox::Ok, QMessageBox::Ok};
        case MessageButtons::OkCancel:
            return {QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Cancel};
        case MessageButtons::AbortRetryIgnore:
            return {QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore,
                    QMessageBox::Ignore};
        case MessageButtons::YesNoCancel:
            return {QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Cancel};
        case MessageButtons::YesNo:
            return {QMessageBox::Yes | QMessageBox::No, QMessageBox::No};
        case MessageButtons::RetryCancel:
            return {QMessageBox::Retry | QMessageBox::Cancel, QMessageBox::Cancel};
    }
    return {QMessageBox::Ok, QMessageBox::Ok};
}

MessageResult fromQtButton(int button) {
    switch (button) {
        case QMessageBox::Ok:
            return MessageResult::Ok;
        case QMessageBox::Abort:
            return MessageResult::Abort;
        case QMessageBox::Retry:
            return MessageResult::Retry;
        case QMessageBox::Ignore:
            return MessageResult::Ignore;
        case QMessageBox::Yes:
            return MessageResult::Yes;
        case QMessageBox::No:
            return MessageResult::No;
        default:
            return MessageResult::Cancel;
    }
}

QWidget* owner() {
    QWidget* window = QApplication::activeWindow();
    return window && window->isVisible() ? window : nullptr;
}

}  // namespace

MessageResult QtPrompts::messageBox(const QString& text, MessageButtons buttons, MessageIcon icon,
                                    const QString& caption) {
    const ButtonSet set = toQtButtons(buttons);
    QMessageBox box(toQtIcon(icon), caption, text, set.buttons, owner());
    box.setEscapeButton(set.escape);
    return fromQtButton(box.exec());
}

QString QtPrompts::inputBox(const QString& prompt, const QString& title,
                            const QString& defaultText) {
    bool ok = false;
    const QString text =
        QInputDialog::getText(owner(), title, prompt, QLineEdit::Normal, defaultText, &ok);
    return ok ? text : QString();
}

}  // namespace lorvane
