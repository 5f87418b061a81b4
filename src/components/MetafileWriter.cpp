#include "components/MetafileWriter.h"

#include <QPainter>
#include <QtEndian>

namespace lorvane {

namespace {

constexpr int kDpi = 96;
constexpr int kMaxSide = 32767;
constexpr quint32 kSrcCopy = 0x00CC0020;

class LittleEndian {
public:
    void u16(quint16 v) { append(qToLittleEndian(v)); }
    void i16(qint16 v) { append(qToLittleEndian(v)); }
    void u32(quint32 v) { append(qToLittleEndian(v)); }
    void i32(qint32 v) { append(qToLittleEndian(v)); }
    void bytes(const QByteArray& data) { m_data.append(data); }
    qsizetype size() const { return m_data.size(); }
    QByteArray& data() { return m_data; }

private:
    template <typename T>
    void append(T v) {
        m_data.append(reinterpret_cast<const char*>(&v), sizeof v);
    }
    QByteArray m_data;
};

// Record sizes are 32-bit counts (of bytes in EMF, of 16-bit words in WMF).
bool fits(const QImage& image) {
    return !image.isNull() && image.width() <= kMaxSide && image.height() <= kMaxSide &&
           (qint64(image.width()) * 3 + 3) * image.height() < qint64(0x7FFF0000);
}

// BITMAPINFOHEADER and bottom-up BGR rows padded to four bytes: the packed DIB both metafile
// kinds embed.
QByteArray packedDib(const QImage& image) {
    QImage rgb(image.size(), QImage::Format_RGB32);
    rgb.fill(Qt::white);
    QPainter(&rgb).drawImage(0, 0, image);
    const int width = rgb.width();
    const int height = rgb.height();
    const qsizetype stride = (qsizetype(width) * 3 + 3) & ~qsizetype(3);
    LittleEndian out;
    out.u32(40);
    out.i32(width);
    out.i32(height);
    out.u16(1);   // planes
    out.u16(24);  // bits per pixel
    out.u32(0);   // BI_RGB
    out.u32(quint32(stride * height));
    out.i32(qRound(kDpi / 0.0254));
    out.i32(qRound(kDpi / 0.0254));
    out.u32(0);
    out.u32(0);
    QByteArray& data = out.data();
    const qsizetype header = data.size();
    data.resize(header + stride * height, '\0');
    for (int y = 0; y < height; ++y) {
        const auto* src = reinterpret_cast<const QRgb*>(rgb.constScanLine(height - 1 - y));
        char* dst = data.data() + header + stride * y;
        for (int x = 0; x < width; ++x) {
            dst[3 * x] = char(qBlue(src[x]));
            dst[3 * x + 1] = char(qGreen(src[x]));
            dst[3 * x + 2] = char(qRed(src[x]));
        }
    }
    return data;
}

}  // namespace

QByteArray EncodeWmf(const QImage& image) {
    if (!fits(image)) {
        return {};
    }
    const auto width = qint16(image.width());
    const auto height = qint16(image.height());
    const QByteArray dib = packedDib(image);

    LittleEndian records;
    // SETWINDOWORG and SETWINDOWEXT take y before x.
    records.u32(5);
    records.u16(0x020B);
    records.i16(0);
    records.i16(0);
    records.u32(5);
    records.u16(0x020C);
    records.i16(height);
    records.i16(width);
    const quint32 stretchWords = quint32((28 + dib.size()) / 2);
    records.u32(stretchWords);
    records.u16(0x0F43);  // META_STRETCHDIB
    records.u32(kSrcCopy);
    records.u16(0);  // DIB_RGB_COLORS
    records.i16(height);
    records.i16(width);
    records.i16(0);
    records.i16(0);
    records.i16(height);
    records.i16(width);
    records.i16(0);
    records.i16(0);
    records.bytes(dib);
    records.u32(3);
    records.u16(0);  // META_EOF

    LittleEndian out;
    // Placeable header: the bounding box in units of 1/96 inch, so one unit is one pixel.
    out.u32(0x9AC6CDD7);
    out.u16(0);
    out.i16(0);
    out.i16(0);
    out.i16(width);
    out.i16(height);
    out.u16(kDpi);
    out.u32(0);
    quint16 checksum = 0;
    for (int i = 0; i < 10; ++i) {
        checksum ^= qFromLittleEndian<quint16>(out.data().constData() + 2 * i);
    }
    out.u16(checksum);
    out.u16(1);       // memory metafile
    out.u16(9);       // header words
    out.u16(0x0300);  // version
    out.u32(quint32((18 + records.size()) / 2));
    out.u16(0);
    out.u32(stretchWords);
    out.u16(0);
    out.bytes(records.data());
    return out.data();
}

QByteArray EncodeEmf(const QImage& image) {
    if (!fits(image)) {
        return {};
    }
    const qint32 width = image.width();
    const qint32 height = image.height();
    const QByteArray dib = packedDib(image);
    constexpr quint32 kHeaderSize = 108;
    constexpr quint32 kStretchFixed = 80;
    constexpr quint32 kBitmapInfo = 40;
    const auto stretchSize = quint32(kStretchFixed + dib.size());
    const quint32 total = kHeaderSize + stretchSize + 20;
    // The reference device: 96 DPI, 10 inches square.
    const qint32 devicePixels = 10 * kDpi;
    const qint32 deviceMillimetres = 254;

    LittleEndian out;
    out.u32(1);  // EMR_HEADER
    out.u32(kHeaderSize);
    out.i32(0);  // bounds, inclusive device pixels
    out.i32(0);
    out.i32(width - 1);
    out.i32(height - 1);
    out.i32(0);  // frame, inclusive hundredths of a millimetre
    out.i32(0);
    out.i32(qRound(width * 2540.0 / kDpi) - 1);
    out.i32(qRound(height * 2540.0 / kDpi) - 1);
    out.u32(0x464D4520);  // " EMF"
    out.u32(0x10000);
    out.u32(total);
    out.u32(3);  // records
    out.u16(1);  // handles: index 0 is reserved
    out.u16(0);
    out.u32(0);  // no description
    out.u32(0);
    out.u32(0);  // no palette
    out.i32(devicePixels);
    out.i32(devicePixels);
    out.i32(deviceMillimetres);
    out.i32(deviceMillimetres);
    out.u32(0);  // no pixel format
    out.u32(0);
    out.u32(0);  // not OpenGL
    out.i32(deviceMillimetres * 1000);
    out.i32(deviceMillimetres * 1000);

    out.u32(81);  // EMR_STRETCHDIBITS
    out.u32(stretchSize);
    out.i32(0);
    out.i32(0);
    out.i32(width - 1);
    out.i32(height - 1);
    out.i32(0);  // destination
    out.i32(0);
    out.i32(0);  // source
    out.i32(0);
    out.i32(width);
    out.i32(height);
    out.u32(kStretchFixed);
    out.u32(kBitmapInfo);
    out.u32(kStretchFixed + kBitmapInfo);
    out.u32(quint32(dib.size()) - kBitmapInfo);
    out.u32(0);  // DIB_RGB_COLORS
    out.u32(kSrcCopy);
    out.i32(width);
    out.i32(height);
    out.bytes(dib);

    out.u32(14);  // EMR_EOF
    out.u32(20);
    out.u32(0);
    out.u32(16);
    out.u32(20);
    return out.data();
}

}  // namespace lorvane
