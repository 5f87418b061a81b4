#include "tools/QtPrintDialogs.h"

#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>

namespace lorvane {

bool QtPrintDialogs::ShowPrintDialog(QPrinter& printer, QWidget* owner) {
    QPrintDialog dialog(&printer, owner);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, true);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
    // The caller presets the range to every page; the user may not ask for pages past it.
    if (printer.toPage() > 0)
        dialog.setMinMax(1, printer.toPage());
    return dialog.exec() == QDialog::Accepted;
}

void QtPrintDialogs::ShowPageSetup(QPrinter& printer, QWidget* owner) {
    QPageSetupDialog dialog(&printer, owner);
    dialog.exec();
}

}  // namespace lorvane
