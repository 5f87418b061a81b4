#include "tools/PrintPlan.h"

#include <algorithm>

namespace lorvane {

QList<PrintJob> PlanPrintJobs(int count, PrintRange range, int fromPage, int toPage, int mode,
                              PrintOutput output) {
    const bool centred = mode != 0;
    const bool fit = mode == 2;
    if (count > 1 && range == PrintRange::AllPages) {
        PrintJob all{{}, false, centred, fit};
        for (int i = 0; i < count; ++i)
            all.images.append(i);
        return {all};
    }
    if (range == PrintRange::Selection)
        return {PrintJob{{}, true, true, false}};
    QList<PrintJob> jobs;
    // Pages outside the document would name images it does not hold.
    for (int page = std::max(fromPage, 1); page <= std::min(toPage, count); ++page) {
        if (output == PrintOutput::File && !jobs.isEmpty())
            jobs.last().images.append(page - 1);
        else
            jobs.append(PrintJob{{page - 1}, false, centred, fit});
    }
    return jobs;
}

QRectF PlaceImage(const QSizeF& imageSize, const QRectF& page, bool centred, bool fit) {
    if (imageSize.isEmpty() || page.isEmpty())
        return {};
    QSizeF size = imageSize;
    const double scale =
        std::min(page.width() / imageSize.width(), page.height() / imageSize.height());
    if (fit || scale < 1.0)
        size = imageSize * scale;
    QPointF topLeft = page.topLeft();
    if (centred)
        topLeft += QPointF((page.width() - size.width()) / 2, (page.height() - size.height()) / 2);
    return QRectF(topLeft, size);
}

}  // namespace lorvane
