#include "explorer/ThumbnailGeometry.h"

#include <algorithm>
#include <cmath>

namespace lorvane {

int RoundHalfEven(double value) {
    return static_cast<int>(std::nearbyint(value));
}

ThumbnailGeometry ThumbnailGeometryFor(QSize imageSize) {
    ThumbnailGeometry geometry;
    const int w = imageSize.width();
    const int h = imageSize.height();
    if (w <= 0 || h <= 0) {
        return geometry;
    }
    // The floating-point steps go in this order on purpose (140 / W x H rather
    // than 140 x H / W), because it decides which results land exactly on a half.
    const double ratio = double(std::max(w, h)) / double(std::min(w, h));
    if (ratio < kElongatedRatio) {
        geometry.scaledSize =
            QSize(kThumbnailSide, std::max(1, RoundHalfEven(double(kThumbnailSide) / w * h)));
        geometry.canvasSize = geometry.scaledSize;
        return geometry;
    }
    geometry.hasCanvas = true;
    geometry.canvasSize = QSize(kThumbnailSide, kThumbnailSide);
    if (w > h) {
        const int scaledHeight = std::max(1, RoundHalfEven(double(kThumbnailSide) / w * h));
        geometry.scaledSize = QSize(kThumbnailSide, scaledHeight);
        geometry.offset = QPoint(0, RoundHalfEven((kThumbnailSide - scaledHeight) / 2.0));
    } else {
        const int scaledWidth = std::max(1, RoundHalfEven(double(w) / h * kThumbnailSide));
        geometry.scaledSize = QSize(scaledWidth, kThumbnailSide);
        geometry.offset = QPoint(RoundHalfEven((kThumbnailSide - scaledWidth) / 2.0), 0);
    }
    return geometry;
}

}  // namespace lorvane
