#include "explorer/ThumbnailMaker.h"

#include <QFileInfo>
#include <QImageIOHandler>
#include <QImageReader>
#include <QPainter>

#include "components/ImageCodecs.h"
#include "components/PictureLoader.h"
#include "explorer/ExtensionLists.h"
#include "explorer/ThumbnailGeometry.h"

namespace lorvane {

namespace {

Thumbnail failed(const QString& path, const QString& reason) {
    Thumbnail thumbnail;
    // Tell a file removed since the listing from one that is damaged: the first leaves no item.
    thumbnail.vanished = !QFileInfo::exists(path);
    thumbnail.reason = reason;
    return thumbnail;
}

// The size of the image as it will be shown, read from the header alone; invalid when no
// reader can tell without decoding.
QSize shownSizeFromHeader(const QString& path) {
    QImageReader reader(path);
    reader.setAutoTransform(true);
    QSize size = reader.size();
    if (size.isValid() && (reader.transformation() & QImageIOHandler::TransformationRotate90)) {
        size.transpose();
    }
    return size;
}

bool isPortrait(QSize size) {
    return size.height() > size.width();
}

QImage pictureLoaderThumbnail(QImage picture) {
    const QSize cell(kThumbnailSide, kThumbnailSide);
    if (picture.width() > cell.width() || picture.height() > cell.height()) {
        picture = SmoothlyScaled(picture, picture.size().scaled(cell, Qt::KeepAspectRatio));
    }
    if (picture.format() != QImage::Format_ARGB32_Premultiplied && picture.hasAlphaChannel()) {
        picture.convertTo(QImage::Format_ARGB32_Premultiplied);
    }
    return picture;
}

QImage composed(const QImage& frame, const ThumbnailGeometry& geometry) {
    QImage scaled =
        frame.size() == geometry.scaledSize ? frame : SmoothlyScaled(frame, geometry.scaledSize);
    if (!geometry.hasCanvas && !scaled.hasAlphaChannel()) {
        return scaled.convertToFormat(QImage::Format_RGB888);
    }
    QImage canvas(geometry.canvasSize, QImage::Format_RGB888);
    canvas.fill(Qt::white);
    QPainter painter(&canvas);
    painter.drawImage(geometry.offset, scaled);
    painter.end();
    return canvas;
}

}  // namespace

Thumbnail MakeThumbnail(const QString& path) {
    if (UsesPictureLoader(path)) {
        PictureResult loaded = LoadPicture(path);
        if (!loaded.ok()) {
            return failed(path, loaded.reason);
        }
        Thumbnail thumbnail;
        thumbnail.picture = pictureLoaderThumbnail(std::move(loaded.picture));
        return thumbnail;
    }

    // The geometry depends on the full size, which a reduced decode no longer shows exactly.
    QSize shown = shownSizeFromHeader(path);
    ThumbnailGeometry geometry = ThumbnailGeometryFor(shown);
    DecodedImage decoded =
        DecodeImageFile(path, geometry.scaledSize.isEmpty() ? QSize() : geometry.scaledSize);
    if (!decoded.ok()) {
        return failed(path, decoded.reason);
    }
    const QImage& frame = decoded.frames.first();
    if (!shown.isValid()) {
        shown = frame.size();
        geometry = ThumbnailGeometryFor(shown);
    } else if (isPortrait(shown) != isPortrait(frame.size()) && frame.width() != frame.height()) {
        // The decoder turned the picture by an orientation tag the header reader did not see
        // (or the other way round): the decoder's picture is what gets shown.
        shown.transpose();
        geometry = ThumbnailGeometryFor(shown);
    }
    if (geometry.scaledSize.isEmpty()) {
        return failed(path, QStringLiteral("The image has no pixels"));
    }
    Thumbnail thumbnail;
    thumbnail.picture = composed(frame, geometry);
    return thumbnail;
}

}  // namespace lorvane
