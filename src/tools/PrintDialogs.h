#pragma once

class QPrinter;
class QWidget;

namespace lorvane {

// The print and page-setup dialogs over one printer. Modal, UI thread.
class PrintDialogs {
public:
    virtual ~PrintDialogs() = default;

    // Asks for the printer and the pages; the printer's page range settings are read back
    // afterwards. False when the user cancelled.
    virtual bool ShowPrintDialog(QPrinter& printer, QWidget* owner) = 0;
    virtual void ShowPageSetup(QPrinter& printer, QWidget* owner) = 0;
};

}  // namespace lorvane
