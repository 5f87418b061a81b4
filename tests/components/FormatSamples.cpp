#include "FormatSamples.h"

#include <QBuffer>
#include <QtEndian>

namespace formatsamples {

namespace {

void be16(QByteArray& out, quint16 v) {
    out.append(char(v >> 8)).append(char(v & 0xFF));
}
void be32(QByteArray& out, quint32 v) {
    be16(out, quint16(v >> 16));
    be16(out, quint16(v & 0xFFFF));
}
void le16(QByteArray& out, quint16 v) {
    out.append(char(v & 0xFF)).append(char(v >> 8));
}
void le32(QByteArray& out, quint32 v) {
    le16(out, quint16(v & 0xFFFF));
    le16(out, quint16(v >> 16));
}

// PackBits: runs of three or more equal bytes as repeats, the rest as literals.
QByteArray packBits(const QByteArray& row) {
    QByteArray out;
    qsizetype i = 0;
    while (i < row.size()) {
        qsizetype run = 1;
        while (i + run < row.size() && run < 128 && row[i + run] == row[i]) {
            ++run;
        }
        if (run >= 3) {
            out.append(char(1 - run)).append(row[i]);
            i += run;
            continue;
        }
        qsizetype start = i;
        qsizetype length = 0;
        while (i < row.size() && length < 128) {
            if (i + 2 < row.size() && row[i] == row[i + 1] && row[i] == row[i + 2]) {
                break;
            }
            ++i;
            ++length;
        }
        out.append(char(length - 1)).append(row.mid(start, length));
    }
    return out;
}

QByteArray pcxRle(const QByteArray& line) {
    QByteArray out;
    qsizetype i = 0;
    while (i < line.size()) {
        qsizetype run = 1;
        while (i + run < line.size() && run < 63 && line[i + run] == line[i]) {
            ++run;
        }
        const auto value = quint8(line[i]);
        if (run > 1 || value >= 0xC0) {
            out.append(char(0xC0 | run)).append(char(value));
        } else {
            out.append(char(value));
        }
        i += run;
    }
    return out;
}

const QRgb kEga[16] = {0xFF000000, 0xFF0000AA, 0xFF00AA00, 0xFF00AAAA, 0xFFAA0000, 0xFFAA00AA,
                       0xFFAA5500, 0xFFAAAAAA, 0xFF555555, 0xFF5555FF, 0xFF55FF55, 0xFF55FFFF,
                       0xFFFF5555, 0xFFFF55FF, 0xFFFFFF55, 0xFFFFFFFF};

}  // namespace

QImage toPalette(const QImage& picture, int colours) {
    QImage result = picture.convertToFormat(QImage::Format_RGB32);
    if (colours == 2) {
        return result.convertToFormat(QImage::Format_Mono, Qt::ThresholdDither)
            .convertToFormat(QImage::Format_RGB32);
    }
    if (colours == 16) {
        QList<QRgb> table(std::begin(kEga), std::end(kEga));
        return result.convertToFormat(QImage::Format_Indexed8, table, Qt::ThresholdDither)
            .convertToFormat(QImage::Format_RGB32);
    }
    return result;
}

QByteArray psd(const QImage& picture, PsdMode mode, int depth, bool rle) {
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB32);
    const int width = rgb.width();
    const int height = rgb.height();
    const int channels = mode == PsdMode::Rgb ? 3 : mode == PsdMode::Cmyk ? 4 : 1;
    QList<QRgb> palette;
    QByteArray out("8BPS");
    be16(out, 1);
    out.append(6, '\0');
    be16(out, quint16(channels));
    be32(out, quint32(height));
    be32(out, quint32(width));
    be16(out, quint16(depth));
    be16(out, quint16(mode));
    if (mode == PsdMode::Indexed) {
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                if (!palette.contains(rgb.pixel(x, y)) && palette.size() < 256) {
                    palette.append(rgb.pixel(x, y));
                }
            }
        }
        QByteArray table(768, '\0');
        for (int i = 0; i < palette.size(); ++i) {
            table[i] = char(qRed(palette[i]));
            table[256 + i] = char(qGreen(palette[i]));
            table[512 + i] = char(qBlue(palette[i]));
        }
        be32(out, 768);
        out.append(table);
    } else {
        be32(out, 0);
    }
    be32(out, 0);  // image resources
    be32(out, 0);  // layers and masks
    be16(out, rle ? 1 : 0);

    auto sample = [&](int channel, QRgb c) -> int {
        switch (mode) {
            case PsdMode::Grey:
                return qGray(c);
            case PsdMode::Indexed:
                return int(palette.indexOf(c));
            case PsdMode::Rgb:
                return channel == 0 ? qRed(c) : channel == 1 ? qGreen(c) : qBlue(c);
            case PsdMode::Cmyk:
                // Stored as 255 minus the ink; no black ink.
                return channel == 0   ? qRed(c)
                       : channel == 1 ? qGreen(c)
                       : channel == 2 ? qBlue(c)
                                      : 255;
        }
        return 0;
    };
    QList<QByteArray> rows;
    for (int channel = 0; channel < channels; ++channel) {
        for (int y = 0; y < height; ++y) {
            QByteArray row;
            for (int x = 0; x < width; ++x) {
                const int v = sample(channel, rgb.pixel(x, y));
                if (depth == 16) {
                    be16(row, quint16(v * 257));
                } else {
                    row.append(char(v));
                }
            }
            rows.append(row);
        }
    }
    if (!rle) {
        for (const QByteArray& row : rows) {
            out.append(row);
        }
        return out;
    }
    QList<QByteArray> packed;
    for (const QByteArray& row : rows) {
        packed.append(packBits(row));
        be16(out, quint16(packed.last().size()));
    }
    for (const QByteArray& row : packed) {
        out.append(row);
    }
    return out;
}

QByteArray pcx(const QImage& picture, int bits) {
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB32);
    const int width = rgb.width();
    const int height = rgb.height();
    const int planes = bits == 24 ? 3 : bits == 4 ? 4 : 1;
    const int bitsPerPlane = (bits == 8 || bits == 24) ? 8 : 1;
    int bytesPerLine = (width * bitsPerPlane + 7) / 8;
    bytesPerLine += bytesPerLine % 2;
    QByteArray out;
    out.append(char(0x0A)).append(char(5)).append(char(1)).append(char(bitsPerPlane));
    le16(out, 0);
    le16(out, 0);
    le16(out, quint16(width - 1));
    le16(out, quint16(height - 1));
    le16(out, 72);
    le16(out, 72);
    for (QRgb c : kEga) {
        out.append(char(qRed(c))).append(char(qGreen(c))).append(char(qBlue(c)));
    }
    if (bits == 1) {
        out[16 + 3] = char(0xFF);  // entry 1 white
        out[16 + 4] = char(0xFF);
        out[16 + 5] = char(0xFF);
    }
    out.append('\0');
    out.append(char(planes));
    le16(out, quint16(bytesPerLine));
    le16(out, 1);
    out.append(128 - out.size(), '\0');

    QList<QRgb> palette;
    const QImage indexed =
        bits == 8 ? rgb.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither) : QImage();
    if (bits == 8) {
        palette = indexed.colorTable();
    }
    const QImage shown = bits == 1 ? toPalette(rgb, 2) : bits == 4 ? toPalette(rgb, 16) : rgb;
    for (int y = 0; y < height; ++y) {
        QByteArray line;
        for (int plane = 0; plane < planes; ++plane) {
            QByteArray bytes(bytesPerLine, '\0');
            for (int x = 0; x < width; ++x) {
                const QRgb c = shown.pixel(x, y);
                if (bits == 24) {
                    bytes[x] = char(plane == 0 ? qRed(c) : plane == 1 ? qGreen(c) : qBlue(c));
                } else if (bits == 8) {
                    bytes[x] = char(indexed.pixelIndex(x, y));
                } else {
                    const int index =
                        bits == 1
                            ? (qRed(c) > 127 ? 1 : 0)
                            : int(std::find(std::begin(kEga), std::end(kEga), c | 0xFF000000) -
                                  std::begin(kEga));
                    if ((index >> plane) & 1) {
                        bytes[x / 8] = char(quint8(bytes[x / 8]) | (0x80 >> (x % 8)));
                    }
                }
            }
            line.append(bytes);
        }
        // Each line is encoded whole; runs may not cross it.
        out.append(pcxRle(line));
    }
    if (bits == 8) {
        out.append(char(0x0C));
        QByteArray table(768, '\0');
        for (int i = 0; i < palette.size(); ++i) {
            table[3 * i] = char(qRed(palette[i]));
            table[3 * i + 1] = char(qGreen(palette[i]));
            table[3 * i + 2] = char(qBlue(palette[i]));
        }
        out.append(table);
    }
    return out;
}

QByteArray pngIcon(const QList<QImage>& entries) {
    QList<QByteArray> pngs;
    for (const QImage& image : entries) {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "png");
        pngs.append(buffer.data());
    }
    QByteArray out;
    le16(out, 0);
    le16(out, 1);
    le16(out, quint16(entries.size()));
    quint32 offset = 6 + 16 * quint32(entries.size());
    for (int i = 0; i < entries.size(); ++i) {
        out.append(char(entries[i].width() >= 256 ? 0 : entries[i].width()));
        out.append(char(entries[i].height() >= 256 ? 0 : entries[i].height()));
        out.append('\0').append('\0');
        le16(out, 1);
        le16(out, 32);
        le32(out, quint32(pngs[i].size()));
        le32(out, offset);
        offset += quint32(pngs[i].size());
    }
    for (const QByteArray& png : pngs) {
        out.append(png);
    }
    return out;
}

}  // namespace formatsamples
