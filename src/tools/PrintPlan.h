#pragma once

#include <QList>
#include <QRectF>
#include <QSizeF>

namespace lorvane {

// The print dialog's range choice.
enum class PrintRange { AllPages = 0, Selection = 1, PageNums = 2 };

// One print job: the images it prints, a page each, and where on the page.
struct PrintJob {
    QList<int> images;         // indexes into the document's images
    bool activeImage = false;  // the displayed image instead of `images`
    bool centred = false;
    bool fit = false;
    bool operator==(const PrintJob&) const = default;
};

// Where the print goes: a printer, or a file the printer writes (PDF), where every job would
// write the same file anew.
enum class PrintOutput { Device, File };

// The jobs for printing a document of `count` images in placement `mode` (0 top left,
// 1 centred, 2 fit to page) after the print dialog answered `range`, `fromPage`, `toPage` (from
// 1). All pages of a multi-page image are one job; the selection is the displayed image,
// centred at its own size whatever the mode; otherwise one job per page in the range on a
// printer, and one job of the range's pages in order into a file, so that no page is lost.
QList<PrintJob> PlanPrintJobs(int count, PrintRange range, int fromPage, int toPage, int mode,
                              PrintOutput output = PrintOutput::Device);

// Where an image of `imageSize` (in page units, at its own size) lies on a page whose printable
// area is `page`: at the top left or centred; with `fit` as large as the page allows. An image
// larger than the page is reduced to fit it in every placement rather than cut off.
QRectF PlaceImage(const QSizeF& imageSize, const QRectF& page, bool centred, bool fit);

}  // namespace lorvane
