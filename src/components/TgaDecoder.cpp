#include "components/TgaDecoder.h"

#include <QImage>

#include <vector>

namespace lorvane {

namespace {

constexpr int kHeaderSize = 18;

QRgb colourFrom(const uchar* p, int bits, bool useAlpha) {
    switch (bits) {
        case 15:
        case 16: {
            const int v = p[0] | (p[1] << 8);
            const int r = (v >> 10) & 0x1F;
            const int g = (v >> 5) & 0x1F;
            const int b = v & 0x1F;
            const int a = (bits == 16 && useAlpha) ? ((v & 0x8000) ? 255 : 0) : 255;
            return qRgba((r << 3) | (r >> 2), (g << 3) | (g >> 2), (b << 3) | (b >> 2), a);
        }
        case 24:
            return qRgb(p[2], p[1], p[0]);
        case 32:
            return qRgba(p[2], p[1], p[0], useAlpha ? p[3] : 255);
        default:
            return qRgb(0, 0, 0);
    }
}

}  // namespace

DecodedImage DecodeTga(const QByteArray& data, qint64 maxBytes) {
    DecodedImage result;
    result.format = ImageFormat::Tga;
    const auto* bytes = reinterpret_cast<const uchar*>(data.constData());
    const qsizetype size = data.size();
    auto fail = [&result](const QString& reason) {
        result.frames.clear();
        result.reason = reason;
        return result;
    };
    if (size < kHeaderSize) {
        return fail(QStringLiteral("The file is truncated"));
    }
    const int idLength = bytes[0];
    const int mapType = bytes[1];
    const int type = bytes[2];
    const int mapFirst = bytes[3] | (bytes[4] << 8);
    const int mapLength = bytes[5] | (bytes[6] << 8);
    const int mapBits = bytes[7];
    const int width = bytes[12] | (bytes[13] << 8);
    const int height = bytes[14] | (bytes[15] << 8);
    const int depth = bytes[16];
    const int descriptor = bytes[17];
    const int alphaBits = descriptor & 0x0F;
    const bool rightToLeft = descriptor & 0x10;
    const bool topToBottom = descriptor & 0x20;
    result.bitsPerPixel = depth;

    const int kind = type & ~8;  // 1 mapped, 2 true colour, 3 grey; +8 run-length encoded
    const bool rle = type & 8;
    const bool depthOk = (kind == 1 && depth == 8) || (kind == 3 && (depth == 8 || depth == 16)) ||
                         (kind == 2 && (depth == 15 || depth == 16 || depth == 24 || depth == 32));
    if (kind < 1 || kind > 3 || type > 11 || !depthOk || (kind == 1 && mapType != 1)) {
        return fail(QStringLiteral("Unsupported or damaged TGA image"));
    }
    if (width == 0 || height == 0) {
        return fail(QStringLiteral("The file is damaged (the image has no pixels)"));
    }
    if (qint64(width) * height * 4 > maxBytes) {
        return fail(QStringLiteral("The image is too large to open (%1 x %2 pixels)")
                        .arg(width)
                        .arg(height));
    }

    qsizetype pos = kHeaderSize + idLength;
    std::vector<QRgb> palette;
    if (mapType == 1) {
        const int entryBytes = (mapBits + 7) / 8;
        if (mapBits != 15 && mapBits != 16 && mapBits != 24 && mapBits != 32) {
            return fail(QStringLiteral("Unsupported or damaged TGA image"));
        }
        if (pos + qsizetype(mapLength) * entryBytes > size) {
            return fail(QStringLiteral("The file is truncated"));
        }
        palette.resize(size_t(mapFirst) + size_t(mapLength), qRgb(0, 0, 0));
        for (int i = 0; i < mapLength; ++i, pos += entryBytes) {
            palette[size_t(mapFirst) + size_t(i)] = colourFrom(bytes + pos, mapBits, alphaBits > 0);
        }
    }

    const int pixelBytes = (depth + 7) / 8;
    const bool alpha = alphaBits > 0 || (kind == 3 && depth == 16);
    auto pixel = [&](const uchar* p) -> QRgb {
        if (kind == 1) {
            return size_t(p[0]) < palette.size() ? palette[p[0]] : qRgb(0, 0, 0);
        }
        if (kind == 3) {
            return qRgba(p[0], p[0], p[0], depth == 16 ? p[1] : 255);
        }
        return colourFrom(p, depth, alpha);
    };

    const qsizetype count = qsizetype(width) * height;
    std::vector<QRgb> pixels;
    pixels.reserve(size_t(count));
    while (qsizetype(pixels.size()) < count) {
        int run = 1;
        bool repeat = false;
        if (rle) {
            if (pos >= size) {
                return fail(QStringLiteral("The file is truncated"));
            }
            const int packet = bytes[pos++];
            run = (packet & 0x7F) + 1;
            repeat = packet & 0x80;
        } else {
            run = int(qMin<qsizetype>(count, 1 << 20));
        }
        run = int(qMin<qsizetype>(run, count - qsizetype(pixels.size())));
        const qsizetype needed = repeat ? pixelBytes : qsizetype(run) * pixelBytes;
        if (pos + needed > size) {
            return fail(QStringLiteral("The file is truncated"));
        }
        if (repeat) {
            pixels.insert(pixels.end(), size_t(run), pixel(bytes + pos));
            pos += pixelBytes;
        } else {
            for (int i = 0; i < run; ++i, pos += pixelBytes) {
                pixels.push_back(pixel(bytes + pos));
            }
        }
    }

    QImage image(width, height, alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    if (image.isNull()) {
        return fail(QStringLiteral("There is not enough memory to open the image"));
    }
    for (int row = 0; row < height; ++row) {
        const int y = topToBottom ? row : height - 1 - row;
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        const QRgb* source = pixels.data() + qsizetype(row) * width;
        for (int x = 0; x < width; ++x) {
            line[rightToLeft ? width - 1 - x : x] = source[x];
        }
    }
    if (kind == 3 && depth == 8) {
        image = image.convertToFormat(QImage::Format_Grayscale8);
    }
    result.frames.append(image);
    return result;
}

}  // namespace lorvane
