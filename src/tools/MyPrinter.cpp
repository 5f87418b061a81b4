#include "tools/MyPrinter.h"

#include <QPainter>

#include "tools/PrintDialogs.h"

namespace lorvane {

namespace {

// An image without its own resolution is taken to be at the screen's 96 dots per inch.
constexpr double kDefaultDotsPerInch = 96.0;

QSizeF sizeOnPage(const QImage& image, int printerDpi) {
    const double dpiX =
        image.dotsPerMeterX() > 0 ? image.dotsPerMeterX() * 0.0254 : kDefaultDotsPerInch;
    const double dpiY =
        image.dotsPerMeterY() > 0 ? image.dotsPerMeterY() * 0.0254 : kDefaultDotsPerInch;
    return QSizeF(image.width() * printerDpi / dpiX, image.height() * printerDpi / dpiY);
}

}  // namespace

MyPrinter::MyPrinter(PrintDialogs& dialogs)
    : m_dialogs(dialogs), m_printer(QPrinter::HighResolution) {}

void MyPrinter::ShowPageSetup(QWidget* owner) {
    m_dialogs.ShowPageSetup(m_printer, owner);
}

MyPrinter::Choice MyPrinter::ShowPrintDialog(QWidget* owner, int pageCount) {
    m_printer.setFromTo(1, pageCount);
    m_printer.setPrintRange(QPrinter::AllPages);
    if (!m_dialogs.ShowPrintDialog(m_printer, owner))
        return {};
    Choice choice{true, PrintRange::AllPages, 1, pageCount, PrintOutput::Device};
    if (!m_printer.outputFileName().isEmpty())
        choice.output = PrintOutput::File;
    switch (m_printer.printRange()) {
        case QPrinter::Selection:
            choice.range = PrintRange::Selection;
            break;
        case QPrinter::PageRange:
            choice.range = PrintRange::PageNums;
            choice.fromPage = m_printer.fromPage();
            choice.toPage = m_printer.toPage();
            break;
        default:
            break;
    }
    return choice;
}

bool MyPrinter::PrintImages(const QString& documentName, const QList<QImage>& images, bool centred,
                            bool fit) {
    m_printer.setDocName(documentName);
    QPainter painter;
    if (!painter.begin(&m_printer))
        return false;
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QRectF page(QPointF(0, 0),
                      m_printer.pageLayout().paintRectPixels(m_printer.resolution()).size());
    bool first = true;
    for (const QImage& image : images) {
        if (!first)
            m_printer.newPage();
        first = false;
        const QRectF target =
            PlaceImage(sizeOnPage(image, m_printer.resolution()), page, centred, fit);
        if (!target.isEmpty())
            painter.drawImage(target, image);
    }
    painter.end();
    m_jobs.append({documentName, static_cast<int>(images.size())});
    return true;
}

}  // namespace lorvane
