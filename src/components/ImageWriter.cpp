#include "components/ImageWriter.h"

#include <QBuffer>
#include <QImageWriter>
#include <QPainter>
#include <QSaveFile>

#include "components/MagickCodec.h"
#include "components/MetafileWriter.h"

namespace lorvane {

namespace {

struct Encoded {
    QByteArray bytes;
    QString reason;
};

Encoded encodeWithQt(const QImage& image, const char* qtFormat, ImageFormat format) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, qtFormat);
    QImage source = image;
    switch (format) {
        case ImageFormat::Jpeg:
            writer.setQuality(90);
            // JPEG has no transparency; what shows through is white, not black.
            if (image.hasAlphaChannel()) {
                source = QImage(image.size(), QImage::Format_RGB32);
                source.fill(Qt::white);
                QPainter(&source).drawImage(0, 0, image);
            }
            break;
        case ImageFormat::Tiff:
            writer.setCompression(1);  // LZW
            break;
        default:
            break;
    }
    if (!writer.write(source)) {
        return {{}, QStringLiteral("The image could not be written: %1").arg(writer.errorString())};
    }
    return {buffer.data(), {}};
}

// WAP's multi-byte integer: seven bits a byte, most significant first, the high bit set on every
// byte but the last.
void appendMultiByte(QByteArray& out, quint32 value) {
    char bytes[5];
    int count = 0;
    do {
        bytes[count++] = char(value & 0x7F);
        value >>= 7;
    } while (value != 0);
    while (count > 1) {
        out.append(char(bytes[--count] | 0x80));
    }
    out.append(bytes[0]);
}

// Type 0 WBMP: a two-byte header, the two sides, then rows of one bit a pixel (1 white), each
// padded to a whole byte. Qt's writer drops the last byte of a side that needs two.
QByteArray encodeWbmp(const QImage& image) {
    QImage opaque = image;
    if (image.hasAlphaChannel()) {
        opaque = QImage(image.size(), QImage::Format_RGB32);
        opaque.fill(Qt::white);
        QPainter(&opaque).drawImage(0, 0, image);
    }
    const QImage mono = opaque.convertToFormat(QImage::Format_Mono);
    QByteArray out;
    out.append('\0').append('\0');
    appendMultiByte(out, quint32(mono.width()));
    appendMultiByte(out, quint32(mono.height()));
    const int rowBytes = (mono.width() + 7) / 8;
    const QList<QRgb> table = mono.colorTable();
    const bool oneIsWhite = table.size() < 2 || qGray(table[1]) >= qGray(table[0]);
    for (int y = 0; y < mono.height(); ++y) {
        // Format_Mono keeps the first pixel in the high bit, as WBMP does.
        QByteArray row(reinterpret_cast<const char*>(mono.constScanLine(y)), rowBytes);
        if (!oneIsWhite) {
            for (char& byte : row) {
                byte = char(~byte);
            }
        }
        if (const int spare = rowBytes * 8 - mono.width(); spare > 0) {
            row[rowBytes - 1] = char(quint8(row[rowBytes - 1]) & (0xFF << spare));
        }
        out.append(row);
    }
    return out;
}

}  // namespace

bool IsWritableFormat(ImageFormat format) {
    const int code = int(format);
    return code >= 1 && code <= 10;
}

SaveResult SaveImageFile(const QImage& image, const QString& path, ImageFormat format) {
    if (image.isNull()) {
        return {false, QStringLiteral("There is no image to save")};
    }
    if (path.isEmpty()) {
        return {false, QStringLiteral("No file name was given")};
    }
    Encoded encoded;
    switch (format) {
        case ImageFormat::Jpeg:
            encoded = encodeWithQt(image, "jpeg", format);
            break;
        case ImageFormat::Png:
            encoded = encodeWithQt(image, "png", format);
            break;
        case ImageFormat::Tiff:
            encoded = encodeWithQt(image, "tiff", format);
            break;
        case ImageFormat::Bmp:
            encoded = encodeWithQt(image, "bmp", format);
            break;
        case ImageFormat::Wbmp:
            encoded.bytes = encodeWbmp(image);
            break;
        case ImageFormat::Pcx:
        case ImageFormat::Tga:
        case ImageFormat::Psd: {
            const EncodedBytes bytes = EncodeWithMagick(image, format);
            encoded = {bytes.bytes, bytes.reason};
            break;
        }
        case ImageFormat::Wmf:
        case ImageFormat::Emf:
            encoded.bytes = format == ImageFormat::Wmf ? EncodeWmf(image) : EncodeEmf(image);
            if (encoded.bytes.isEmpty()) {
                encoded.reason = QStringLiteral("The image is too large for a metafile");
            }
            break;
        default:
            return {false, QStringLiteral("Images cannot be saved in this format")};
    }
    if (!encoded.reason.isEmpty()) {
        return {false, encoded.reason};
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return {false, QStringLiteral("The file cannot be written: %1").arg(file.errorString())};
    }
    if (file.write(encoded.bytes) != encoded.bytes.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return {false, QStringLiteral("The file cannot be written: %1").arg(reason)};
    }
    if (!file.commit()) {
        return {false, QStringLiteral("The file cannot be written: %1").arg(file.errorString())};
    }
    return {true, {}};
}

}  // namespace lorvane
