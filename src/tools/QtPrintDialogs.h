#pragma once

#include "tools/PrintDialogs.h"

namespace lorvane {

// Qt's print and page-setup dialogs.
class QtPrintDialogs : public PrintDialogs {
public:
    bool ShowPrintDialog(QPrinter& printer, QWidget* owner) override;
    void ShowPageSetup(QPrinter& printer, QWidget* owner) override;
};

}  // namespace lorvane
