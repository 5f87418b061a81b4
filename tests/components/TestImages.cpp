#include "TestImages.h"

#include <QBuffer>
#include <QFile>
#include <QImageWriter>
#include <QPainter>
#include <QRandomGenerator>

namespace testimages {

namespace {

void le16(QByteArray& out, quint32 value) {
    out.append(char(value & 0xFF));
    out.append(char((value >> 8) & 0xFF));
}

void le32(QByteArray& out, quint32 value) {
    le16(out, value & 0xFFFF);
    le16(out, value >> 16);
}

void be32(QByteArray& out, quint32 value) {
    out.append(char((value >> 24) & 0xFF));
    out.append(char((value >> 16) & 0xFF));
    out.append(char((value >> 8) & 0xFF));
    out.append(char(value & 0xFF));
}

quint32 crc32(const QByteArray& data) {
    quint32 crc = 0xFFFFFFFFu;
    for (char byte : data) {
        crc ^= quint8(byte);
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
        }
    }
    return crc ^ 0xFFFFFFFFu;
}

}  // namespace

QImage quadrants(int width, int height, QImage::Format format) {
    QImage image(width, height, QImage::Format_RGB32);
    QPainter painter(&image);
    const int hw = width / 2;
    const int hh = height / 2;
    painter.fillRect(0, 0, hw, hh, Qt::red);
    painter.fillRect(hw, 0, width - hw, hh, Qt::green);
    painter.fillRect(0, hh, hw, height - hh, Qt::blue);
    painter.fillRect(hw, hh, width - hw, height - hh, Qt::yellow);
    painter.end();
    return image.convertToFormat(format);
}

QImage noise(int width, int height, quint32 seed) {
    QRandomGenerator random(seed);
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            line[x] = 0xFF000000u | (random.generate() & 0xFFFFFFu);
        }
    }
    return image;
}

QByteArray encode(const QImage& image, const char* format, int quality) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setQuality(quality);
    if (!writer.write(image)) {
        return {};
    }
    return bytes;
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray gif(QSize size, int frames) {
    QByteArray out("GIF89a");
    le16(out, quint32(size.width()));
    le16(out, quint32(size.height()));
    out.append(char(0x91));  // global table of 4 entries
    out.append(char(0));
    out.append(char(0));
    out.append(QByteArray::fromHex("000000ff000000ff000000ff"));
    for (int frame = 0; frame < frames; ++frame) {
        out.append(QByteArray::fromHex("21f904000a000000"));  // 0.1 s per frame
        out.append(char(0x2C));
        le16(out, 0);
        le16(out, 0);
        le16(out, quint32(size.width()));
        le16(out, quint32(size.height()));
        out.append(char(0));
        out.append(char(2));  // minimum code size: codes are 3 bits wide
        // A clear code before every pixel keeps the table, and so the code width, from growing.
        const int index = 1 + frame % 3;
        QByteArray data;
        quint32 bits = 0;
        int count = 0;
        auto put = [&](quint32 code) {
            bits |= code << count;
            count += 3;
            while (count >= 8) {
                data.append(char(bits & 0xFF));
                bits >>= 8;
                count -= 8;
            }
        };
        for (int i = 0; i < size.width() * size.height(); ++i) {
            put(4);
            put(quint32(index));
        }
        put(5);
        if (count > 0) {
            data.append(char(bits & 0xFF));
        }
        for (qsizetype at = 0; at < data.size(); at += 255) {
            const QByteArray block = data.mid(at, 255);
            out.append(char(block.size()));
            out.append(block);
        }
        out.append(char(0));
    }
    out.append(char(0x3B));
    return out;
}

QByteArray tiff(const QList<QSize>& pages) {
    QByteArray out("II*\0", 4);
    le32(out, 8);
    for (qsizetype page = 0; page < pages.size(); ++page) {
        const QSize size = pages.at(page);
        const quint32 ifd = quint32(out.size());
        constexpr int kEntries = 10;
        const quint32 bitsAt = ifd + 2 + kEntries * 12 + 4;
        const quint32 pixelsAt = bitsAt + 6;
        const quint32 pixelBytes = quint32(size.width() * size.height() * 3);
        const bool last = page + 1 == pages.size();
        auto entry = [&out](quint16 tag, quint16 type, quint32 count, quint32 value) {
            le16(out, tag);
            le16(out, type);
            le32(out, count);
            le32(out, value);
        };
        le16(out, kEntries);
        entry(256, 4, 1, quint32(size.width()));
        entry(257, 4, 1, quint32(size.height()));
        entry(258, 3, 3, bitsAt);
        entry(259, 3, 1, 1);  // no compression
        entry(262, 3, 1, 2);  // RGB
        entry(273, 4, 1, pixelsAt);
        entry(277, 3, 1, 3);
        entry(278, 4, 1, quint32(size.height()));
        entry(279, 4, 1, pixelBytes);
        entry(284, 3, 1, 1);
        le32(out, last ? 0 : pixelsAt + pixelBytes);
        le16(out, 8);
        le16(out, 8);
        le16(out, 8);
        for (quint32 i = 0; i < pixelBytes; i += 3) {
            out.append(char(page == 0 ? 200 : 20));
            out.append(char(100));
            out.append(char(page == 0 ? 20 : 200));
        }
    }
    return out;
}

QByteArray icon(const QList<QSize>& sizes, bool cursor) {
    QList<QByteArray> images;
    for (const QSize& size : sizes) {
        QByteArray image;
        le32(image, 40);
        le32(image, quint32(size.width()));
        le32(image, quint32(size.height() * 2));  // colour rows plus mask rows
        le16(image, 1);
        le16(image, 32);
        le32(image, 0);
        le32(image, 0);
        le32(image, 0);
        le32(image, 0);
        le32(image, 0);
        le32(image, 0);
        for (int i = 0; i < size.width() * size.height(); ++i) {
            image.append(QByteArray::fromHex("40c080ff"));  // opaque BGRA
        }
        const int maskRow = ((size.width() + 31) / 32) * 4;
        image.append(QByteArray(qsizetype(maskRow) * size.height(), '\0'));
        images.append(image);
    }
    QByteArray out;
    le16(out, 0);
    le16(out, cursor ? 2 : 1);
    le16(out, quint32(sizes.size()));
    quint32 offset = quint32(6 + 16 * sizes.size());
    for (qsizetype i = 0; i < sizes.size(); ++i) {
        out.append(char(sizes.at(i).width() & 0xFF));
        out.append(char(sizes.at(i).height() & 0xFF));
        out.append(char(0));
        out.append(char(0));
        le16(out, 1);                // planes, or the hot spot's x
        le16(out, cursor ? 1 : 32);  // bit count, or the hot spot's y
        le32(out, quint32(images.at(i).size()));
        le32(out, offset);
        offset += quint32(images.at(i).size());
    }
    for (const QByteArray& image : images) {
        out.append(image);
    }
    return out;
}

QByteArray tga(const QImage& source, int bits, bool rle) {
    const QImage image = source.convertToFormat(QImage::Format_ARGB32);
    QByteArray out;
    out.append(char(0));
    out.append(char(0));
    out.append(char(rle ? 10 : 2));
    out.append(QByteArray(5, '\0'));
    le16(out, 0);
    le16(out, 0);
    le16(out, quint32(image.width()));
    le16(out, quint32(image.height()));
    out.append(char(bits));
    out.append(char(bits == 32 ? 8 : 0));  // alpha bits; origin bottom-left
    auto pixel = [&](QRgb rgb) {
        QByteArray p;
        p.append(char(qBlue(rgb)));
        p.append(char(qGreen(rgb)));
        p.append(char(qRed(rgb)));
        if (bits == 32) {
            p.append(char(qAlpha(rgb)));
        }
        return p;
    };
    for (int y = image.height() - 1; y >= 0; --y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        if (!rle) {
            for (int x = 0; x < image.width(); ++x) {
                out.append(pixel(line[x]));
            }
            continue;
        }
        for (int x = 0; x < image.width();) {
            int run = 1;
            while (x + run < image.width() && run < 128 && line[x + run] == line[x]) {
                ++run;
            }
            out.append(char(0x80 | (run - 1)));
            out.append(pixel(line[x]));
            x += run;
        }
    }
    return out;
}

QByteArray pngHeaderOnly(quint32 width, quint32 height) {
    QByteArray out("\x89PNG\r\n\x1a\n", 8);
    QByteArray chunk("IHDR");
    be32(chunk, width);
    be32(chunk, height);
    chunk.append(char(8));  // bit depth
    chunk.append(char(6));  // RGBA
    chunk.append(QByteArray(3, '\0'));
    be32(out, 13);
    out.append(chunk);
    be32(out, crc32(chunk));
    // A little picture data, so that readers get past the header to judge the size.
    const QByteArray data = QByteArray("IDAT") + QByteArray::fromHex("789c030000000001");
    be32(out, quint32(data.size() - 4));
    out.append(data);
    be32(out, crc32(data));
    be32(out, 0);
    out.append("IEND");
    be32(out, crc32("IEND"));
    return out;
}

QByteArray bmpHeaderOnly(qint32 width, qint32 height) {
    QByteArray out("BM");
    le32(out, 54);
    le32(out, 0);
    le32(out, 54);
    le32(out, 40);
    le32(out, quint32(width));
    le32(out, quint32(height));
    le16(out, 1);
    le16(out, 24);
    out.append(QByteArray(24, '\0'));
    return out;
}

QByteArray withExifOrientation(const QByteArray& jpeg, int orientation) {
    QByteArray tiffData("II*\0", 4);
    le32(tiffData, 8);
    le16(tiffData, 1);
    le16(tiffData, 0x0112);
    le16(tiffData, 3);
    le32(tiffData, 1);
    le16(tiffData, quint32(orientation));
    le16(tiffData, 0);
    le32(tiffData, 0);
    const QByteArray payload = QByteArray("Exif\0\0", 6) + tiffData;
    QByteArray segment("\xFF\xE1", 2);
    const int length = int(payload.size()) + 2;
    segment.append(char(length >> 8));
    segment.append(char(length & 0xFF));
    segment.append(payload);
    return jpeg.left(2) + segment + jpeg.mid(2);
}

}  // namespace testimages
