#include "tools/QtPrintDialogs.h"

#include <QPageSetupDialog>
#include <QPrintDialog>

namespace lorvane {

bool QtPrintDialogs::ShowPrintDialog(QPrinter& printer, QWidget* owner) {
    QPrintDialog dialog(&printer, owner);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, true);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
    return dialog.exec() == QDialog::Accepted;
}

void QtPrintDialogs::ShowPageSetup(QPrinter& printer, QWidget* owner) {
    QPageSetupDialog dialog(&printer, owner);
    dialog.exec();
}

}  // namespace lorvane
