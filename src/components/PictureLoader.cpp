#include "components/PictureLoader.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>

#include "components/ImageCodecs.h"

namespace lorvane {

namespace {

// A packed DIB: a bitmap without the "BM" file header, starting straight with its info header
// (the clipboard's form, and what some programs save as .dib).
bool isPackedDib(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    const QByteArray head = file.read(4);
    if (head.size() < 4) {
        return false;
    }
    const quint32 headerSize = quint8(head[0]) | (quint8(head[1]) << 8) | (quint8(head[2]) << 16) |
                               (quint32(quint8(head[3])) << 24);
    return headerSize == 12 || headerSize == 40 || headerSize == 52 || headerSize == 56 ||
           headerSize == 64 || headerSize == 108 || headerSize == 124;
}

QImage readPackedDib(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    // Qt's "dib" reader is its BMP reader without the file header.
    QImageReader reader(&file, "dib");
    reader.setDecideFormatFromContent(false);
    return reader.read();
}

}  // namespace

PictureResult LoadPicture(const QString& path) {
    PictureResult result;
    // The codec layer goes by content, so a .dib holding an ordinary BMP, a cursor and an icon
    // all read; the suffix only decides which packed DIBs get a second chance.
    const DecodedImage decoded = DecodeImageFile(path);
    if (decoded.ok()) {
        const QImage* largest = &decoded.frames.first();
        for (const QImage& frame : decoded.frames) {
            if (qint64(frame.width()) * frame.height() >
                qint64(largest->width()) * largest->height()) {
                largest = &frame;
            }
        }
        result.picture = *largest;
        return result;
    }
    // A FIFO or device was refused above and must not be opened here either.
    const QFileInfo info(path);
    if (info.isFile() && info.suffix().compare(QLatin1String("dib"), Qt::CaseInsensitive) == 0 &&
        isPackedDib(path)) {
        result.picture = readPackedDib(path);
        if (!result.picture.isNull()) {
            return result;
        }
    }
    result.reason = decoded.reason;
    return result;
}

}  // namespace lorvane
