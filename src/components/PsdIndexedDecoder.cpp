#include "components/PsdIndexedDecoder.h"

#include <QImage>

namespace lorvane {

namespace {

constexpr int kIndexedMode = 2;
constexpr int kMaxSide = 30000;  // Photoshop's own limit for this file kind

class Reader {
public:
    explicit Reader(const QByteArray& data) : m_data(data) {}
    bool has(qint64 count) const { return count >= 0 && m_pos + count <= m_data.size(); }
    quint32 u8() { return has(1) ? quint8(m_data[qsizetype(m_pos++)]) : (m_failed = true, 0); }
    quint32 be16() { return (u8() << 8) | u8(); }
    quint32 be32() { return (be16() << 16) | be16(); }
    void skip(qint64 count) {
        if (!has(count)) {
            m_failed = true;
            m_pos = m_data.size();
            return;
        }
        m_pos += count;
    }
    qint64 pos() const { return m_pos; }
    bool failed() const { return m_failed; }
    const uchar* at(qint64 pos) const {
        return reinterpret_cast<const uchar*>(m_data.constData()) + pos;
    }

private:
    const QByteArray& m_data;
    qint64 m_pos = 0;
    bool m_failed = false;
};

DecodedImage failure(const QString& reason) {
    DecodedImage result;
    result.format = ImageFormat::Psd;
    result.reason = reason;
    return result;
}

// One PackBits row into exactly width bytes; false when the row is short or runs over.
bool unpackRow(const uchar* in, qint64 length, uchar* out, int width) {
    qint64 i = 0;
    int x = 0;
    while (x < width && i < length) {
        const int n = static_cast<signed char>(in[i++]);
        if (n >= 0) {
            const int count = n + 1;
            if (i + count > length || x + count > width) {
                return false;
            }
            std::copy(in + i, in + i + count, out + x);
            i += count;
            x += count;
        } else if (n != -128) {
            const int count = 1 - n;
            if (i >= length || x + count > width) {
                return false;
            }
            std::fill(out + x, out + x + count, in[i++]);
            x += count;
        }
    }
    return x == width;
}

}  // namespace

bool IsIndexedPsd(const QByteArray& head) {
    return head.size() >= 26 && head.startsWith("8BPS") && quint8(head[24]) == 0 &&
           quint8(head[25]) == kIndexedMode;
}

DecodedImage DecodePsdIndexed(const QByteArray& data, qint64 maxBytes) {
    const QString damaged = QStringLiteral("The file is truncated or damaged");
    Reader in(data);
    in.skip(4);
    const quint32 version = in.be16();
    in.skip(6);
    const quint32 channels = in.be16();
    const quint32 height = in.be32();
    const quint32 width = in.be32();
    const quint32 depth = in.be16();
    const quint32 mode = in.be16();
    if (in.failed() || version != 1 || mode != kIndexedMode || depth != 8 || channels < 1 ||
        channels > 56 || width == 0 || height == 0) {
        return failure(damaged);
    }
    if (width > kMaxSide || height > kMaxSide || qint64(width) * height * 4 > maxBytes) {
        return failure(QStringLiteral("The image is too large to open (%1 x %2 pixels)")
                           .arg(width)
                           .arg(height));
    }
    const quint32 paletteLength = in.be32();
    if (paletteLength != 768 || !in.has(768)) {
        return failure(damaged);
    }
    QList<QRgb> palette(256);
    const uchar* table = in.at(in.pos());
    for (int i = 0; i < 256; ++i) {
        palette[i] = qRgb(table[i], table[256 + i], table[512 + i]);
    }
    in.skip(768);
    in.skip(in.be32());  // image resources
    in.skip(in.be32());  // layers and masks
    const quint32 compression = in.be16();
    if (in.failed() || compression > 1) {
        return failure(damaged);
    }
    QImage image(int(width), int(height), QImage::Format_Indexed8);
    if (image.isNull()) {
        return failure(QStringLiteral("There is not enough memory to open the image"));
    }
    image.setColorTable(palette);
    // Only the first channel holds the indices; any further ones (alpha) are not shown.
    if (compression == 0) {
        if (!in.has(qint64(width) * height)) {
            return failure(damaged);
        }
        for (quint32 y = 0; y < height; ++y) {
            std::copy_n(in.at(in.pos() + qint64(y) * width), width, image.scanLine(int(y)));
        }
    } else {
        const qint64 counts = in.pos();
        if (!in.has(qint64(channels) * height * 2)) {
            return failure(damaged);
        }
        qint64 row = counts + qint64(channels) * height * 2;
        for (quint32 y = 0; y < height; ++y) {
            const uchar* count = in.at(counts + qint64(y) * 2);
            const qint64 length = (count[0] << 8) | count[1];
            if (row + length > data.size() ||
                !unpackRow(in.at(row), length, image.scanLine(int(y)), int(width))) {
                return failure(damaged);
            }
            row += length;
        }
    }
    DecodedImage result;
    result.format = ImageFormat::Psd;
    result.bitsPerPixel = 8;
    result.frames.append(image.convertToFormat(QImage::Format_RGB32));
    return result;
}

}  // namespace lorvane
