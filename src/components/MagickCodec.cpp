#include "components/MagickCodec.h"

#include <Magick++.h>

#include <mutex>

namespace lorvane {

namespace {

// Metafiles have no pixels of their own; Windows shows them at its logical 96 DPI, and the
// placeable header's units per inch map onto that.
constexpr double kMetafileDpi = 96.0;
// No side beyond what a 16-bit position reaches; ImageMagick checks these before allocating.
constexpr qint64 kMaxSide = 32767;
constexpr qint64 kMaxArea = qint64(256) * 1024 * 1024;

void initialiseMagick() {
    static std::once_flag once;
    std::call_once(once, [] {
        Magick::InitializeMagick(nullptr);
        // Limits only tighten: a stricter policy.xml still wins.
        Magick::ResourceLimits::width(kMaxSide);
        Magick::ResourceLimits::height(kMaxSide);
        Magick::ResourceLimits::area(kMaxArea);
        Magick::ResourceLimits::memory(qint64(1024) * 1024 * 1024);
        Magick::ResourceLimits::map(qint64(1024) * 1024 * 1024);
        Magick::ResourceLimits::disk(0);
        // Our decodes already run on a worker pool; OpenMP threads on top only contend.
        Magick::ResourceLimits::thread(1);
    });
}

const char* coderFor(ImageFormat format) {
    switch (format) {
        case ImageFormat::Psd:
            return "PSD";
        case ImageFormat::Pcx:
            return "PCX";
        case ImageFormat::Pcd:
            return "PCD";
        case ImageFormat::Wmf:
            return "WMF";
        case ImageFormat::Tga:
            return "TGA";
        default:
            return nullptr;
    }
}

QString fromMagick(const std::exception& error) {
    const QString what = QString::fromLocal8Bit(error.what());
    // ImageMagick's messages are its own words ("width or height exceeds limit", "cache
    // resources exhausted", "memory allocation failed").
    if (what.contains(QLatin1String("exceeds limit"), Qt::CaseInsensitive) ||
        what.contains(QLatin1String("resources exhausted"), Qt::CaseInsensitive) ||
        what.contains(QLatin1String("MemoryAllocationFailed"), Qt::CaseInsensitive) ||
        what.contains(QLatin1String("memory allocation failed"), Qt::CaseInsensitive)) {
        return QStringLiteral("The image is too large to open");
    }
    return QStringLiteral("The file is truncated or damaged");
}

QImage toQImage(Magick::Image& image, bool onWhite) {
    const qsizetype width = qsizetype(image.columns());
    const qsizetype height = qsizetype(image.rows());
    // Grey needs no transform (ImageMagick keeps it in all three channels) and would be taken for
    // linear light by one; CMYK, Lab and the rest are turned into sRGB.
    const MagickCore::ColorspaceType space = image.colorSpace();
    if (space != MagickCore::sRGBColorspace && space != MagickCore::RGBColorspace &&
        space != MagickCore::GRAYColorspace) {
        image.colorSpace(MagickCore::sRGBColorspace);
    }
    const bool alpha = image.matte();
    QImage result(int(width), int(height), alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    if (result.isNull()) {
        return result;
    }
    // QImage rows may be padded; export row by row into each scan line. "BGRA" in memory is
    // Qt's ARGB32 on the little-endian machines we build for.
    static_assert(Q_BYTE_ORDER == Q_LITTLE_ENDIAN);
    for (qsizetype y = 0; y < height; ++y) {
        image.write(0, ssize_t(y), size_t(width), 1, "BGRA", Magick::CharPixel,
                    result.scanLine(int(y)));
    }
    if (alpha && onWhite) {
        QImage white(result.size(), QImage::Format_RGB32);
        white.fill(Qt::white);
        for (int y = 0; y < white.height(); ++y) {
            const auto* src = reinterpret_cast<const QRgb*>(result.constScanLine(y));
            auto* dst = reinterpret_cast<QRgb*>(white.scanLine(y));
            for (int x = 0; x < white.width(); ++x) {
                const int a = qAlpha(src[x]);
                auto mix = [a](int c) { return (c * a + 255 * (255 - a) + 127) / 255; };
                dst[x] = qRgb(mix(qRed(src[x])), mix(qGreen(src[x])), mix(qBlue(src[x])));
            }
        }
        return white;
    }
    return result;
}

}  // namespace

DecodedImage DecodeWithMagick(const QByteArray& data, ImageFormat format) {
    DecodedImage result;
    result.format = format;
    const char* coder = coderFor(format);
    if (coder == nullptr) {
        result.reason = QStringLiteral("Unsupported image format");
        return result;
    }
    initialiseMagick();
    try {
        Magick::Image image;
        image.quiet(true);
        // A Photoshop file's first image is its flattened composite. A Photo CD without a scene
        // request gives its base resolution (768 x 512); asking for scene 0 would give the
        // 192 x 128 thumbnail.
        if (format != ImageFormat::Pcd) {
            image.subImage(0);
            image.subRange(1);
        }
        if (format == ImageFormat::Wmf) {
            image.density(Magick::Geometry(kMetafileDpi, kMetafileDpi));
            image.backgroundColor(Magick::Color("white"));
        }
        const Magick::Blob blob(data.constData(), size_t(data.size()));
        image.read(blob, coder);
        if (image.columns() == 0 || image.rows() == 0) {
            result.reason = QStringLiteral("The file is truncated or damaged");
            return result;
        }
        QImage frame = toQImage(image, format == ImageFormat::Wmf);
        if (frame.isNull()) {
            result.reason = QStringLiteral("The image is too large to open");
            return result;
        }
        result.frames.append(frame);
    } catch (const std::exception& error) {
        result.frames.clear();
        result.reason = fromMagick(error);
    }
    return result;
}

EncodedBytes EncodeWithMagick(const QImage& image, ImageFormat format) {
    EncodedBytes result;
    const char* coder = coderFor(format);
    if (coder == nullptr || format == ImageFormat::Wmf || format == ImageFormat::Pcd) {
        result.reason = QStringLiteral("This image type cannot be written");
        return result;
    }
    if (image.isNull()) {
        result.reason = QStringLiteral("There is no image to save");
        return result;
    }
    initialiseMagick();
    // Built from pixels past the system policy's width or height, the image aborts the process
    // inside ImageMagick rather than throwing.
    if (quint64(image.width()) > Magick::ResourceLimits::width() ||
        quint64(image.height()) > Magick::ResourceLimits::height()) {
        result.reason = QStringLiteral("The image is too large to be written in this format");
        return result;
    }
    const bool alpha = image.hasAlphaChannel();
    const QImage pixels =
        image.convertToFormat(alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    try {
        // Constructed from tightly packed rows; QImage pads none for 32-bit pixels.
        Magick::Image out(size_t(pixels.width()), size_t(pixels.height()), alpha ? "BGRA" : "BGRP",
                          Magick::CharPixel, pixels.constBits());
        out.matte(alpha);
        out.magick(coder);
        if (format == ImageFormat::Psd || format == ImageFormat::Tga) {
            out.compressType(MagickCore::RLECompression);
        }
        // Without it the TGA writer stores rows top first yet marks them bottom first.
        out.orientation(MagickCore::TopLeftOrientation);
        Magick::Blob blob;
        out.write(&blob);
        result.bytes = QByteArray(static_cast<const char*>(blob.data()), qsizetype(blob.length()));
        if (result.bytes.isEmpty()) {
            result.reason = QStringLiteral("The image could not be written");
        }
    } catch (const std::exception& error) {
        result.bytes.clear();
        result.reason = QStringLiteral("The image could not be written: %1")
                            .arg(QString::fromLocal8Bit(error.what()));
    }
    return result;
}

}  // namespace lorvane
