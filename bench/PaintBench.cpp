#include "PaintBench.h"

#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QTextStream>

#include "BenchUtil.h"
#include "components/ImageCodecs.h"
#include "components/ImgX.h"

namespace lorvane::bench {

int runPaint(QStringList arguments) {
    const int runs = takeRuns(arguments);
    QTextStream err(stderr);
    if (arguments.size() != 1 || !QFileInfo(arguments.first()).isFile()) {
        err << "usage: lorvane-bench paint FILE [--runs N]" << Qt::endl;
        return 2;
    }
    const DecodedImage decoded = DecodeImageFile(arguments.first());
    if (!decoded.ok()) {
        err << "cannot decode " << arguments.first() << ": " << decoded.reason << Qt::endl;
        return 1;
    }
    const QSize screen(1920, 1080);
    ImgX view;
    view.resize(screen);
    view.setAntiAliasDisplay(true);
    view.document().LoadFromPicture(decoded.frames.first());
    const QSize image = decoded.frames.first().size();
    const double fit =
        std::min(double(screen.width()) / image.width(), double(screen.height()) / image.height());
    QImage target(screen, QImage::Format_ARGB32_Premultiplied);
    auto paint = [&] {
        view.render(&target);
        return true;
    };

    // Alternating between two nearby zooms makes every paint a first paint at its zoom.
    bool nudge = false;
    const auto first = medianMs(runs, [&] {
        nudge = !nudge;
        view.setZoom(nudge ? fit : fit * 0.999);
        return paint();
    });
    view.setZoom(fit);
    paint();
    const auto repaint = medianMs(runs, paint);
    view.setZoom(2.0);
    int step = 0;
    const auto zoomedIn = medianMs(runs, [&] {
        view.setScrollX(view.maxScrollX() * (++step % 5) / 5);
        view.setScrollY(view.maxScrollY() * (step % 3) / 3);
        return paint();
    });
    const QImage& full = decoded.frames.first();
    const auto naive = medianMs(runs, [&] {
        QPainter painter(&target);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(QRectF(QPointF(0, 0), QSizeF(image) * fit), full);
        return true;
    });

    report(QStringLiteral("paint.fit_first_paint"), *first, QStringLiteral("ms"));
    report(QStringLiteral("paint.fit_repaint"), *repaint, QStringLiteral("ms"));
    report(QStringLiteral("paint.zoomed_in_2x_repaint"), *zoomedIn, QStringLiteral("ms"));
    report(QStringLiteral("paint.naive_full_scale_per_paint"), *naive, QStringLiteral("ms"));
    return 0;
}

}  // namespace lorvane::bench
