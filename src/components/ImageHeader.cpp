#include "components/ImageHeader.h"

#include <QByteArrayView>

#include <algorithm>
#include <cstddef>
#include <utility>

namespace lorvane {

namespace {

// Bounds-checked reads: a header cut short reads as zeros, never past the buffer.
class Bytes {
public:
    explicit Bytes(const QByteArray& data) : m_data(data) {}

    qsizetype size() const { return m_data.size(); }
    bool has(qsizetype pos, qsizetype count) const {
        return pos >= 0 && count >= 0 && pos <= m_data.size() - count;
    }
    quint8 u8(qsizetype pos) const { return has(pos, 1) ? static_cast<quint8>(m_data.at(pos)) : 0; }
    quint16 le16(qsizetype pos) const { return quint16(u8(pos) | (u8(pos + 1) << 8)); }
    quint16 be16(qsizetype pos) const { return quint16((u8(pos) << 8) | u8(pos + 1)); }
    quint32 le32(qsizetype pos) const {
        return quint32(le16(pos)) | (quint32(le16(pos + 2)) << 16);
    }
    quint32 be32(qsizetype pos) const { return (quint32(be16(pos)) << 16) | be16(pos + 2); }
    // Takes the literal's full length, so signatures holding NUL bytes ("II*\0") compare whole.
    template <std::size_t N>
    bool startsWith(qsizetype pos, const char (&text)[N]) const {
        const qsizetype length = qsizetype(N - 1);
        return has(pos, length) &&
               QByteArrayView(m_data).sliced(pos, length) == QByteArrayView(text, length);
    }

private:
    const QByteArray& m_data;
};

// Sizes beyond what QSize holds are clamped, so that they still read as too large.
QSize sizeOf(quint32 width, quint32 height) {
    constexpr quint32 kMax = 1u << 30;
    if (width == 0 || height == 0) {
        return {};
    }
    return QSize(int(std::min(width, kMax)), int(std::min(height, kMax)));
}

int pngBits(const Bytes& b, qsizetype pos) {
    // IHDR: bit depth at +24, colour type at +25 from the signature.
    const int depth = b.u8(pos + 24);
    switch (b.u8(pos + 25)) {
        case 0:  // grey
        case 3:  // palette
            return depth;
        case 2:
            return depth * 3;
        case 4:
            return depth * 2;
        case 6:
            return depth * 4;
        default:
            return 0;
    }
}

QSize pngSize(const Bytes& b, qsizetype pos) {
    return sizeOf(b.be32(pos + 16), b.be32(pos + 20));
}

bool isPng(const Bytes& b, qsizetype pos) {
    return b.startsWith(pos, "\x89PNG\r\n\x1a\n");
}

// Precision x components, and the frame's size, from the first start-of-frame segment.
std::pair<int, QSize> jpegFrame(const Bytes& b) {
    qsizetype pos = 2;
    while (b.has(pos, 4)) {
        if (b.u8(pos) != 0xFF) {
            break;
        }
        const quint8 marker = b.u8(pos + 1);
        if (marker == 0xFF) {  // fill byte
            ++pos;
            continue;
        }
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8)) {
            pos += 2;
            continue;
        }
        const bool isFrame =
            marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (isFrame) {
            return {b.u8(pos + 4) * b.u8(pos + 9), sizeOf(b.be16(pos + 7), b.be16(pos + 5))};
        }
        if (marker == 0xDA || marker == 0xD9) {
            break;
        }
        pos += 2 + b.be16(pos + 2);
    }
    return {0, {}};
}

std::pair<int, QSize> tiffPage(const Bytes& b) {
    const bool little = b.u8(0) == 'I';
    auto u16 = [&](qsizetype pos) { return little ? b.le16(pos) : b.be16(pos); };
    auto u32 = [&](qsizetype pos) { return little ? b.le32(pos) : b.be32(pos); };
    const qsizetype ifd = u32(4);
    const int entries = u16(ifd);
    if (!b.has(ifd + 2, qsizetype(entries) * 12)) {
        return {0, {}};
    }
    int bits = 1;
    int samples = 1;
    quint32 width = 0;
    quint32 height = 0;
    for (int i = 0; i < entries; ++i) {
        const qsizetype entry = ifd + 2 + qsizetype(i) * 12;
        const quint16 tag = u16(entry);
        const quint16 type = u16(entry + 2);
        const quint32 count = u32(entry + 4);
        const quint32 value = type == 3 ? u16(entry + 8) : u32(entry + 8);  // SHORT or LONG
        if (tag == 256) {
            width = value;
        } else if (tag == 257) {
            height = value;
        } else if (tag == 258) {  // BitsPerSample, one per sample; more than two live elsewhere
            bits = count <= 2 ? u16(entry + 8) : u16(u32(entry + 8));
        } else if (tag == 277) {  // SamplesPerPixel
            samples = u16(entry + 8);
        }
    }
    return {bits * samples, sizeOf(width, height)};
}

bool isIcon(const Bytes& b) {
    const int type = b.le16(2);
    const int count = b.le16(4);
    if (b.le16(0) != 0 || (type != 1 && type != 2) || count < 1) {
        return false;
    }
    const qsizetype firstData = b.le32(6 + 12);
    return b.u8(6 + 3) == 0 && firstData >= 6 + 16 * qsizetype(count);
}

// The first entry's depth (the directory's bit count doubles as a cursor's hot spot, so it is
// read from the entry's own header) and the largest entry's size (0 in the directory is 256).
std::pair<int, QSize> iconEntries(const Bytes& b) {
    const qsizetype data = b.le32(6 + 12);
    const int bits = isPng(b, data) ? pngBits(b, data) : b.le16(data + 14);
    QSize largest;
    for (int i = 0; i < b.le16(4) && b.has(6 + 16 * i, 16); ++i) {
        const int width = b.u8(6 + 16 * i) == 0 ? 256 : b.u8(6 + 16 * i);
        const int height = b.u8(6 + 16 * i + 1) == 0 ? 256 : b.u8(6 + 16 * i + 1);
        if (largest.isEmpty() || width * height > largest.width() * largest.height()) {
            largest = QSize(width, height);
        }
    }
    return {bits, largest};
}

int webpBits(const Bytes& b) {
    if (b.startsWith(12, "VP8X")) {
        return (b.u8(20) & 0x10) ? 32 : 24;
    }
    if (b.startsWith(12, "VP8L")) {
        return (b.le32(21) & (1u << 28)) ? 32 : 24;
    }
    return 24;
}

bool looksLikeSvg(const QByteArray& head) {
    const QByteArray start = head.left(4096).trimmed();
    return (start.startsWith("<?xml") || start.startsWith("<svg") ||
            start.startsWith("\xEF\xBB\xBF") || start.startsWith("<!DOCTYPE svg")) &&
           start.contains("<svg");
}

ImageHeader make(ImageFormat format, const char* qtFormat, int bits, QSize size = {}) {
    return {format, QByteArray(qtFormat), bits, size};
}

}  // namespace

ImageHeader SniffImageHeader(const QByteArray& head, const QString& suffix) {
    const Bytes b(head);
    const QString ext = suffix.toLower();

    if (b.startsWith(0, "\xFF\xD8\xFF")) {
        const auto [bits, size] = jpegFrame(b);
        return make(ImageFormat::Jpeg, "jpeg", bits, size);
    }
    if (isPng(b, 0)) {
        return make(ImageFormat::Png, "png", pngBits(b, 0), pngSize(b, 0));
    }
    if (b.startsWith(0, "GIF87a") || b.startsWith(0, "GIF89a")) {
        return make(ImageFormat::Gif, "gif", 8, sizeOf(b.le16(6), b.le16(8)));
    }
    if (b.startsWith(0, "BM") && b.has(0, 30)) {
        if (b.le32(14) == 12) {  // OS/2 core header
            return make(ImageFormat::Bmp, "bmp", b.le16(24), sizeOf(b.le16(18), b.le16(20)));
        }
        // A negative height marks rows stored top-down.
        const qint32 height = qint32(b.le32(22));
        return make(ImageFormat::Bmp, "bmp", b.le16(28),
                    sizeOf(b.le32(18), quint32(height < 0 ? -qint64(height) : height)));
    }
    if (b.startsWith(0, "II*\0") || b.startsWith(0, "MM\0*")) {
        const auto [bits, size] = tiffPage(b);
        return make(ImageFormat::Tiff, "tiff", bits, size);
    }
    if (b.startsWith(0, "RIFF") && b.startsWith(8, "WEBP")) {
        return make(ImageFormat::Webp, "webp", webpBits(b));
    }
    if (b.startsWith(0, "8BPS")) {
        return make(ImageFormat::Psd, "", b.be16(12) * b.be16(22), sizeOf(b.be32(18), b.be32(14)));
    }
    if (b.startsWith(0, "\xD7\xCD\xC6\x9A") ||
        (b.le16(2) == 9 && (b.le16(0) == 1 || b.le16(0) == 2) && ext == QLatin1String("wmf"))) {
        return make(ImageFormat::Wmf, "", 0);
    }
    if (b.le32(0) == 1 && b.startsWith(40, " EMF")) {
        return make(ImageFormat::Emf, "", 0);
    }
    if (b.startsWith(2048, "PCD_IPI")) {
        return make(ImageFormat::Pcd, "", 24);
    }
    if (ext == QLatin1String("tga") && b.has(0, 18)) {
        return make(ImageFormat::Tga, "tga", b.u8(16), sizeOf(b.le16(12), b.le16(14)));
    }
    if (isIcon(b)) {
        const auto [bits, size] = iconEntries(b);
        return b.le16(2) == 2 ? make(ImageFormat::Cur, "cur", bits, size)
                              : make(ImageFormat::Ico, "ico", bits, size);
    }
    if (b.u8(0) == 0x0A && b.u8(1) <= 5 && b.u8(2) <= 1 && b.has(0, 128)) {
        return make(ImageFormat::Pcx, "", b.u8(3) * b.u8(65),
                    sizeOf(b.le16(8) - b.le16(4) + 1u, b.le16(10) - b.le16(6) + 1u));
    }
    if (looksLikeSvg(head)) {
        return make(ImageFormat::Svg, "svg", 32);
    }
    if (b.startsWith(0, "\x1F\x8B") && ext == QLatin1String("svgz")) {
        return make(ImageFormat::Svg, "svgz", 32);
    }
    if ((ext == QLatin1String("wbmp") || ext == QLatin1String("wbm")) && b.u8(0) == 0) {
        return make(ImageFormat::Wbmp, "wbmp", 1);
    }
    return {};
}

ImageFormat FormatFromQtName(const QByteArray& qtFormat) {
    const QByteArray name = qtFormat.toLower();
    if (name.isEmpty()) {
        return ImageFormat::Unknown;
    }
    if (name == "jpeg" || name == "jpg") {
        return ImageFormat::Jpeg;
    }
    if (name == "png") {
        return ImageFormat::Png;
    }
    if (name == "tif" || name == "tiff") {
        return ImageFormat::Tiff;
    }
    if (name == "bmp" || name == "dib") {
        return ImageFormat::Bmp;
    }
    if (name == "tga") {
        return ImageFormat::Tga;
    }
    if (name == "wbmp") {
        return ImageFormat::Wbmp;
    }
    if (name == "gif") {
        return ImageFormat::Gif;
    }
    if (name == "ico") {
        return ImageFormat::Ico;
    }
    if (name == "cur") {
        return ImageFormat::Cur;
    }
    if (name == "webp") {
        return ImageFormat::Webp;
    }
    if (name == "svg" || name == "svgz") {
        return ImageFormat::Svg;
    }
    return ImageFormat::Other;
}

}  // namespace lorvane
