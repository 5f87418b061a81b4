#include "components/EmfDecoder.h"

#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <QtEndian>

#include <dlfcn.h>
#include <emf2svg.h>

#include <cmath>
#include <cstdlib>
#include <mutex>

namespace lorvane {

namespace {

constexpr double kDpi = 96.0;
constexpr int kMaxSide = 32767;
constexpr quint32 kEmrHeader = 1;
constexpr quint32 kEmrEof = 14;

using Emf2SvgFunction = int (*)(char*, size_t, char**, size_t*, generatorOptions*);

// libemf2svg brings libuemf, which exports wmf_free like libwmf behind ImageMagick's WMF coder;
// with both in the global symbol scope one library calls the other's and a WMF read crashes.
// Loading it locally, binding its own symbols first, keeps the two apart in one process.
// AddressSanitizer refuses RTLD_DEEPBIND; a local load alone still keeps libuemf out of libwmf's
// way, which is the direction that crashes.
Emf2SvgFunction emf2svgFunction() {
    static std::once_flag once;
    static Emf2SvgFunction function = nullptr;
    std::call_once(once, [] {
        int flags = RTLD_NOW | RTLD_LOCAL;
#if !defined(__SANITIZE_ADDRESS__)
#if defined(__has_feature)
#if !__has_feature(address_sanitizer)
        flags |= RTLD_DEEPBIND;
#endif
#else
        flags |= RTLD_DEEPBIND;
#endif
#endif
        void* library = dlopen("libemf2svg.so.1", flags);
        if (library != nullptr) {
            function = reinterpret_cast<Emf2SvgFunction>(dlsym(library, "emf2svg"));
        }
    });
    return function;
}

// Serialises calls: libemf2svg keeps a font index and other state in globals.
std::mutex& emf2svgLock() {
    static std::mutex lock;
    return lock;
}

quint32 le32(const QByteArray& data, qsizetype pos) {
    return qFromLittleEndian<quint32>(data.constData() + pos);
}

qint32 sle32(const QByteArray& data, qsizetype pos) {
    return qFromLittleEndian<qint32>(data.constData() + pos);
}

DecodedImage failure(const QString& reason) {
    DecodedImage result;
    result.format = ImageFormat::Emf;
    result.reason = reason;
    return result;
}

}  // namespace

QSize EmfFrameSize(const QByteArray& data) {
    constexpr qsizetype kMinHeader = 88;
    if (data.size() < kMinHeader || le32(data, 0) != kEmrHeader || le32(data, 40) != 0x464D4520) {
        return {};
    }
    bool ended = false;
    qsizetype pos = 0;
    while (pos + 8 <= data.size()) {
        const quint32 type = le32(data, pos);
        const quint32 size = le32(data, pos + 4);
        if (size < 8 || size % 4 != 0 || qint64(size) > data.size() - pos) {
            return {};
        }
        if (pos == 0 && size < kMinHeader) {
            return {};
        }
        pos += size;
        if (type == kEmrEof) {
            ended = true;
            break;
        }
    }
    if (!ended) {
        return {};
    }
    // The frame, inclusive, in hundredths of a millimetre; the bounds in device pixels are
    // only a fallback, their device may not be a 96 DPI screen.
    const qint64 left = sle32(data, 24);
    const qint64 top = sle32(data, 28);
    const qint64 right = sle32(data, 32);
    const qint64 bottom = sle32(data, 36);
    qint64 width = std::llround(double(right - left + 1) * kDpi / 2540.0);
    qint64 height = std::llround(double(bottom - top + 1) * kDpi / 2540.0);
    if (width <= 0 || height <= 0) {
        width = qint64(sle32(data, 16)) - sle32(data, 8) + 1;
        height = qint64(sle32(data, 20)) - sle32(data, 12) + 1;
    }
    if (width <= 0 || height <= 0) {
        return {};
    }
    return QSize(int(std::min<qint64>(width, kMaxSide + 1)),
                 int(std::min<qint64>(height, kMaxSide + 1)));
}

DecodedImage DecodeEmf(const QByteArray& data, qint64 maxBytes) {
    const QSize size = EmfFrameSize(data);
    if (!size.isValid()) {
        return failure(QStringLiteral("The file is truncated or damaged"));
    }
    if (size.width() > kMaxSide || size.height() > kMaxSide ||
        qint64(size.width()) * size.height() * 4 > maxBytes) {
        return failure(QStringLiteral("The image is too large to open (%1 x %2 pixels)")
                           .arg(size.width())
                           .arg(size.height()));
    }
    const Emf2SvgFunction convert = emf2svgFunction();
    if (convert == nullptr) {
        return failure(QStringLiteral("Enhanced metafiles cannot be read: libemf2svg is missing"));
    }
    QByteArray svg;
    {
        const std::lock_guard<std::mutex> guard(emf2svgLock());
        generatorOptions options{};
        options.nameSpace = const_cast<char*>("svg");
        options.svgDelimiter = true;
        options.emfplus = true;
        // No target size: given one, the library scales the drawing to it from its own
        // (one pixel short) size, and every bitmap is resampled.
        char* out = nullptr;
        size_t outLength = 0;
        QByteArray input = data;
        const int ok = convert(input.data(), size_t(input.size()), &out, &outLength, &options);
        if (out != nullptr) {
            if (ok != 0) {
                svg = QByteArray(out, qsizetype(outLength));
            }
            std::free(out);
        }
    }
    if (svg.isEmpty()) {
        return failure(QStringLiteral("The file is truncated or damaged"));
    }
    QSvgRenderer renderer(svg);
    if (!renderer.isValid()) {
        return failure(QStringLiteral("The file is truncated or damaged"));
    }
    QImage image(size, QImage::Format_RGB32);
    if (image.isNull()) {
        return failure(QStringLiteral("The image is too large to open"));
    }
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        // libemf2svg sizes the drawing from the header's inclusive bounds as if they were
        // exclusive, one pixel short; drawn at its own scale nothing is resampled.
        const QSizeF drawn = renderer.viewBoxF().size();
        const bool offByOne = std::abs(drawn.width() - size.width()) <= 1.0 &&
                              std::abs(drawn.height() - size.height()) <= 1.0;
        renderer.render(&painter, QRectF(QPointF(0, 0), offByOne ? drawn : QSizeF(size)));
    }
    DecodedImage result;
    result.format = ImageFormat::Emf;
    result.frames.append(image);
    result.bitsPerPixel = 24;
    return result;
}

}  // namespace lorvane
