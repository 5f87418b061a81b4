#pragma once

#include <QImage>
#include <QList>
#include <QPrinter>
#include <QString>

#include "tools/PrintPlan.h"

class QWidget;

namespace lorvane {

class PrintDialogs;

// The printing companion: one printer whose settings last between jobs, its dialogs, and
// print jobs of one or several images.
class MyPrinter {
public:
    explicit MyPrinter(PrintDialogs& dialogs);

    QPrinter& printer() { return m_printer; }

    void ShowPageSetup(QWidget* owner);
    // The print dialog preset to pages 1 to pageCount. Nothing when the user cancelled;
    // otherwise the range the user chose (all pages reads as 1 to pageCount).
    struct Choice {
        bool confirmed = false;
        PrintRange range = PrintRange::AllPages;
        int fromPage = 0;
        int toPage = 0;
        // The chosen printer writes a file rather than printing.
        PrintOutput output = PrintOutput::Device;
    };
    Choice ShowPrintDialog(QWidget* owner, int pageCount);

    // One job, one page per image, each placed as asked. False when the printer could not
    // start the job.
    bool PrintImages(const QString& documentName, const QList<QImage>& images, bool centred,
                     bool fit);
    bool PrintImage(const QString& documentName, const QImage& image, bool centred, bool fit) {
        return PrintImages(documentName, {image}, centred, fit);
    }

    // The jobs printed so far: document name and page count.
    struct JobRecord {
        QString documentName;
        int pages = 0;
    };
    const QList<JobRecord>& jobs() const { return m_jobs; }

private:
    PrintDialogs& m_dialogs;
    QPrinter m_printer;
    QList<JobRecord> m_jobs;
};

}  // namespace lorvane
