#include "components/ImageCodecs.h"

#include <QFileInfo>
#include <QImageReader>

namespace lorvane {

DecodedImage DecodeImageFile(const QString& path, QSize maxSize) {
    DecodedImage result;
    QFileInfo info(path);
    if (!info.exists()) {
        result.reason = QStringLiteral("The file does not exist");
        return result;
    }
    QImageReader reader(path);
    reader.setAutoTransform(true);
    if (maxSize.isValid() && reader.size().isValid()) {
        reader.setScaledSize(
            reader.size().scaled(maxSize, Qt::KeepAspectRatioByExpanding).boundedTo(reader.size()));
    }
    do {
        QImage frame = reader.read();
        if (frame.isNull()) {
            break;
        }
        result.frames.append(frame);
    } while (!maxSize.isValid() && reader.jumpToNextImage());
    if (result.frames.isEmpty()) {
        result.reason = reader.errorString();
        if (result.reason.isEmpty()) {
            result.reason = QStringLiteral("The file could not be read");
        }
        return result;
    }
    result.bitsPerPixel = result.frames.first().depth();
    return result;
}

}  // namespace lorvane
