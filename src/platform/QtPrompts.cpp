#include "platform/QtPrompts.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>
#include <QRegularExpression>

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

// "Description|*.a;*.b|..." as Qt's name filters "Description (*.a *.b)".
QStringList toNameFilters(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts.at(i + 1);
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        // "*.*" means every file on Windows; on Linux it would skip names without a dot.
        if (patterns == QLatin1String("*.*"))
            patterns = QStringLiteral("*");
        filters.append(QStringLiteral("%1 (%2)").arg(parts.at(i), patterns));
    }
    return filters;
}

// "Portable Network Graphics <PNG> (*.png)" gives "png"; a filter of every file gives nothing.
QString FirstExtensionOfNameFilter(const QString& nameFilter) {
    static const QRegularExpression pattern(QStringLiteral("\\(\\*\\.([A-Za-z0-9]+)"));
    const QRegularExpressionMatch match = pattern.match(nameFilter);
    return match.hasMatch() ? match.captured(1) : QString();
}

}  // namespace

void QtPrompts::skin(QWidget* dialog) const {
    if (m_skinDialog)
        m_skinDialog(dialog);
}

MessageResult QtPrompts::messageBox(const QString& text, MessageButtons buttons, MessageIcon icon,
                                    const QString& caption) {
    const ButtonSet set = toQtButtons(buttons);
    QMessageBox box(toQtIcon(icon), caption, text, set.buttons, owner());
    box.setEscapeButton(set.escape);
    skin(&box);
    return fromQtButton(box.exec());
}

QString QtPrompts::inputBox(const QString& prompt, const QString& title,
                            const QString& defaultText) {
    QInputDialog dialog(owner());
    dialog.setWindowTitle(title);
    dialog.setLabelText(prompt);
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setTextValue(defaultText);
    skin(&dialog);
    return dialog.exec() == QDialog::Accepted ? dialog.textValue() : QString();
}

QStringList QtPrompts::openFileNames(const QString& filter, const QString& startFolder) {
    QFileDialog dialog(owner(), QString(), startFolder);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setNameFilters(toNameFilters(filter));
    dialog.setSizeGripEnabled(true);
    skin(&dialog);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.selectedFiles();
}

SaveFileChoice QtPrompts::saveFileName(const QString& filter, int filterIndex,
                                       const QString& defaultExtension,
                                       const QString& suggestedPath) {
    const QFileInfo suggested(suggestedPath);
    QFileDialog dialog(owner(), QString(), suggested.path());
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(toNameFilters(filter));
    // The dialog keeps its filters with runs of blanks collapsed, so they are matched as it
    // holds them.
    const QStringList filters = dialog.nameFilters();
    if (filterIndex >= 1 && filterIndex <= filters.size())
        dialog.selectNameFilter(filters.at(filterIndex - 1));
    dialog.setDefaultSuffix(defaultExtension);
    if (!suggested.fileName().isEmpty())
        dialog.selectFile(suggested.fileName());
    dialog.setSizeGripEnabled(true);
    skin(&dialog);
    // The format is the filter chosen, so choosing another one also changes the extension the
    // dialog adds and the one of the name shown: a PNG is not saved as "photo.tif".
    QObject::connect(
        &dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& chosen) {
            const QString extension = FirstExtensionOfNameFilter(chosen);
            if (extension.isEmpty())
                return;
            const QString previous = dialog.defaultSuffix();
            dialog.setDefaultSuffix(extension);
            const QStringList typed = dialog.selectedFiles();
            if (typed.isEmpty())
                return;
            const QFileInfo name(typed.constFirst());
            if (name.fileName().isEmpty() || name.isDir())
                return;
            if (name.suffix().isEmpty() ||
                name.suffix().compare(previous, Qt::CaseInsensitive) == 0)
                dialog.selectFile(name.completeBaseName() + QLatin1Char('.') + extension);
        });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return {dialog.selectedFiles().constFirst(),
            static_cast<int>(filters.indexOf(dialog.selectedNameFilter())) + 1};
}

}  // namespace lorvane
