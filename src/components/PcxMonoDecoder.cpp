#include "components/PcxMonoDecoder.h"

#include <QImage>

namespace lorvane {

namespace {

constexpr int kHeaderSize = 128;
constexpr int kPaletteAt = 16;
constexpr int kPlanesAt = 65;
constexpr int kBytesPerLineAt = 66;

int le16(const uchar* p) {
    return p[0] | (p[1] << 8);
}

// Reads the run-length coded picture data; runs may cross the end of a line, as some writers
// let them.
class RleReader {
public:
    RleReader(const uchar* data, qsizetype size, bool encoded)
        : m_data(data), m_size(size), m_encoded(encoded) {}

    // The next byte of the picture; false when the data ends early.
    bool next(uchar& value) {
        while (m_runLeft == 0) {
            if (m_at >= m_size)
                return false;
            const uchar byte = m_data[m_at++];
            if (!m_encoded || (byte & 0xC0) != 0xC0) {
                value = byte;
                return true;
            }
            if (m_at >= m_size)
                return false;
            m_runValue = m_data[m_at++];
            m_runLeft = byte & 0x3F;  // an empty run carries nothing: read on
        }
        --m_runLeft;
        value = m_runValue;
        return true;
    }

private:
    const uchar* m_data;
    qsizetype m_size;
    bool m_encoded;
    qsizetype m_at = kHeaderSize;
    int m_runLeft = 0;
    uchar m_runValue = 0;
};

}  // namespace

bool IsMonochromePcx(const QByteArray& head) {
    return head.size() > kPlanesAt && quint8(head[0]) == 0x0A && quint8(head[3]) == 1 &&
           quint8(head[kPlanesAt]) == 1;
}

DecodedImage DecodePcxMono(const QByteArray& data, qint64 maxBytes) {
    DecodedImage result;
    result.format = ImageFormat::Pcx;
    result.bitsPerPixel = 1;
    const auto fail = [&result](const QString& reason) {
        result.frames.clear();
        result.reason = reason;
        return result;
    };
    if (data.size() < kHeaderSize || !IsMonochromePcx(data))
        return fail(QStringLiteral("The file is not a black-and-white PCX image"));
    const auto* bytes = reinterpret_cast<const uchar*>(data.constData());
    const int encoding = bytes[2];
    const int width = le16(bytes + 8) - le16(bytes + 4) + 1;
    const int height = le16(bytes + 10) - le16(bytes + 6) + 1;
    const int bytesPerLine = le16(bytes + kBytesPerLineAt);
    if (width <= 0 || height <= 0)
        return fail(QStringLiteral("The file is damaged: its picture has no size"));
    if (qint64(width) * height * 4 > maxBytes)
        return fail(
            QStringLiteral("The image is too large (%1 x %2 pixels)").arg(width).arg(height));
    if (bytesPerLine < (width + 7) / 8)
        return fail(QStringLiteral("The file is damaged: its lines are shorter than its width"));

    // Colours 0 and 1 from the palette, unless it does not tell them apart.
    const uchar* palette = bytes + kPaletteAt;
    QRgb colours[2] = {qRgb(palette[0], palette[1], palette[2]),
                       qRgb(palette[3], palette[4], palette[5])};
    if (colours[0] == colours[1]) {
        colours[0] = qRgb(0, 0, 0);
        colours[1] = qRgb(255, 255, 255);
    }

    QImage image(width, height, QImage::Format_RGB32);
    if (image.isNull())
        return fail(QStringLiteral("There is not enough memory for the image"));
    RleReader reader(bytes, data.size(), encoding == 1);
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int column = 0; column < bytesPerLine; ++column) {
            uchar value = 0;
            if (!reader.next(value))
                return fail(QStringLiteral("The file is damaged: its picture data ends early"));
            for (int bit = 0; bit < 8; ++bit) {
                const int x = column * 8 + bit;
                if (x < width)
                    line[x] = colours[(value >> (7 - bit)) & 1];
            }
        }
    }
    result.frames = {image};
    return result;
}

}  // namespace lorvane
