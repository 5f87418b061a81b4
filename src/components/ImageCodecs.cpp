#include "components/ImageCodecs.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <cerrno>
#include <cstring>

#include <algorithm>
#include <cmath>

#include "components/EmfDecoder.h"
#include "components/ImageHeader.h"
#include "components/JpegDecoder.h"
#include "components/MagickCodec.h"
#include "components/PcxMonoDecoder.h"
#include "components/PsdIndexedDecoder.h"
#include "components/TgaDecoder.h"
#include "components/sandbox/SandboxedDecoder.h"

namespace lorvane {

namespace {

// Refuse images whose pixels alone would take more than this; a 24 MP photo takes 92 MiB, so
// only absurd or hostile headers reach it.
constexpr int kAllocationLimitMiB = 1024;
constexpr qint64 kMaxBytes = qint64(kAllocationLimitMiB) * 1024 * 1024;
constexpr int kMaxFrames = 10000;
constexpr qint64 kHeadBytes = qint64(64) * 1024;
// No side may exceed what a signed 16-bit position addresses, whatever the pixel budget says.
constexpr int kMaxSide = 32767;
// A real JPEG starts its picture data (a scan) within its first megabytes, whatever its
// metadata; a larger file with no scan there is not read whole.
constexpr qint64 kJpegScanSearchBytes = qint64(16) * 1024 * 1024;

void raiseQtAllocationLimit() {
    // Qt's own default (256 MiB) would refuse ordinary panoramas; the limit is process-wide,
    // so it is set once, whichever thread decodes first.
    static const bool done = [] {
        QImageReader::setAllocationLimit(kAllocationLimitMiB);
        return true;
    }();
    Q_UNUSED(done);
}

DecodedImage failure(const QString& reason, ImageFormat format = ImageFormat::Unknown) {
    DecodedImage result;
    result.format = format;
    result.reason = reason;
    return result;
}

QString tooLarge(QSize size) {
    return QStringLiteral("The image is too large to open (%1 x %2 pixels)")
        .arg(size.width())
        .arg(size.height());
}

// The depth a file of this in-memory format most likely stored, for types whose header we do
// not read.
int depthOf(const QImage& image) {
    switch (image.format()) {
        case QImage::Format_Mono:
        case QImage::Format_MonoLSB:
            return 1;
        case QImage::Format_Indexed8:
        case QImage::Format_Grayscale8:
        case QImage::Format_Alpha8:
            return 8;
        case QImage::Format_Grayscale16:
            return 16;
        case QImage::Format_RGB32:
        case QImage::Format_RGB888:
        case QImage::Format_BGR888:
        case QImage::Format_RGBX8888:
            return 24;
        case QImage::Format_RGBX64:
            return 48;
        case QImage::Format_RGBA64:
        case QImage::Format_RGBA64_Premultiplied:
            return 64;
        default:
            return image.hasAlphaChannel() ? 32 : image.depth();
    }
}

// The smallest size of the same shape that still covers maxSize (never above the full size).
QSize coveringSize(QSize full, QSize maxSize) {
    if (full.isEmpty()) {
        return full;
    }
    const double scale =
        std::max(double(maxSize.width()) / full.width(), double(maxSize.height()) / full.height());
    if (scale >= 1.0) {
        return full;
    }
    return QSize(std::max(maxSize.width(), int(std::ceil(full.width() * scale))),
                 std::max(maxSize.height(), int(std::ceil(full.height() * scale))))
        .boundedTo(full);
}

// Images from decoders that cannot scale while decoding: shrink once here, so that a thumbnail
// or a first paint never holds a full-size copy longer than the decode.
QImage reduced(const QImage& image, QSize maxSize) {
    const QSize cover = coveringSize(image.size(), maxSize);
    if (image.width() < 2 * cover.width() || image.height() < 2 * cover.height()) {
        return image;
    }
    return SmoothlyScaled(image, cover);
}

bool isPaletted(QImage::Format format) {
    return format == QImage::Format_Mono || format == QImage::Format_MonoLSB ||
           format == QImage::Format_Indexed8;
}

// Whether a start-of-scan marker lies within the first `limit` bytes; leaves the file at 0.
bool hasJpegScanWithin(QFile& file, qint64 limit) {
    constexpr qint64 kChunk = qint64(1) << 20;
    const QByteArray marker("\xFF\xDA", 2);
    bool found = false;
    char last = 0;
    for (qint64 seen = 0; !found && seen < limit;) {
        const QByteArray chunk = file.read(std::min(kChunk, limit - seen));
        if (chunk.isEmpty()) {
            break;
        }
        found = (last == '\xFF' && chunk.front() == '\xDA') || chunk.contains(marker);
        last = chunk.back();
        seen += chunk.size();
    }
    file.seek(0);
    return found;
}

bool isReadableSuffix(const QString& suffix) {
    return !suffix.isEmpty() &&
           QImageReader::supportedImageFormats().contains(suffix.toLower().toLatin1());
}

QString notRecognised(const QString& suffix) {
    if (isReadableSuffix(suffix)) {
        return QStringLiteral("The file is damaged or is not a valid %1 image")
            .arg(suffix.toUpper());
    }
    return QStringLiteral("Unsupported image format");
}

QString readFailure(const QImageReader& reader, const QString& suffix) {
    switch (reader.error()) {
        case QImageReader::UnsupportedFormatError:
            return notRecognised(suffix);
        case QImageReader::DeviceError:
            return QStringLiteral("The file could not be read");
        default:
            return QStringLiteral("The file is truncated or damaged");
    }
}

DecodedImage decodeWithQt(QFile& file, const ImageHeader& header, const QString& suffix,
                          QSize maxSize) {
    QByteArray qtFormat = header.qtFormat;
    if (qtFormat.isEmpty()) {
        qtFormat = QImageReader::imageFormat(&file);
        file.seek(0);
    }
    if (qtFormat.isEmpty()) {
        return failure(notRecognised(suffix));
    }
    const ImageFormat format =
        header.format != ImageFormat::Unknown ? header.format : FormatFromQtName(qtFormat);

    QImageReader reader(&file, qtFormat);
    reader.setDecideFormatFromContent(false);
    reader.setAutoTransform(true);
    // Asked before size(): Qt's TIFF reader otherwise reopens the file where size() left it
    // and finds no second page.
    const int declared = reader.imageCount();
    const bool animated = reader.supportsAnimation();
    const QSize full = reader.size().isValid() ? reader.size() : header.size;
    const bool reducedDecode = maxSize.isValid();
    QSize target = full;
    // Qt's readers scale palette images with the same fault as QImage::scaled; they are small
    // files, decoded whole and then reduced.
    if (reducedDecode && full.isValid() && reader.supportsOption(QImageIOHandler::ScaledSize) &&
        !isPaletted(reader.imageFormat())) {
        target = coveringSize(full, maxSize);
        reader.setScaledSize(target);
    }
    // Vector images have a nominal size only; everything else is refused before any pixel is
    // allocated when its declared size is out of reach.
    if (format != ImageFormat::Svg && target.isValid() &&
        qint64(target.width()) * target.height() * 4 > kMaxBytes) {
        return failure(tooLarge(full), format);
    }

    DecodedImage result;
    result.format = format;
    qint64 bytes = 0;
    for (int i = 0; i < kMaxFrames; ++i) {
        QImage frame = reader.read();
        if (frame.isNull()) {
            break;
        }
        // Pages beyond the memory budget are left out rather than failing the whole file.
        bytes += frame.sizeInBytes();
        if (!result.frames.isEmpty() && bytes > kMaxBytes) {
            break;
        }
        result.frames.append(reducedDecode ? reduced(frame, maxSize) : frame);
        if (reducedDecode || (declared > 0 && result.frames.size() >= declared)) {
            break;
        }
        // Animation handlers step to the next frame on each read; page-based ones (TIFF, ICO)
        // stay on the current page until told to move.
        if (animated ? !reader.canRead() : !reader.jumpToNextImage()) {
            break;
        }
    }
    if (result.frames.isEmpty()) {
        if (full.isValid() && qint64(full.width()) * full.height() * 8 > kMaxBytes) {
            return failure(tooLarge(full), format);
        }
        return failure(readFailure(reader, suffix), format);
    }
    result.bitsPerPixel =
        header.bitsPerPixel > 0 ? header.bitsPerPixel : depthOf(result.frames.first());
    return result;
}

// Decoders backed by a library decode whole; the reduced copy is made here, and the file's depth
// comes from its header where the header tells.
DecodedImage finishLibraryDecode(DecodedImage result, const ImageHeader& header, QSize maxSize) {
    if (!result.ok()) {
        result.frames.clear();
        return result;
    }
    if (maxSize.isValid()) {
        result.frames.first() = reduced(result.frames.first(), maxSize);
    }
    if (header.bitsPerPixel > 0) {
        result.bitsPerPixel = header.bitsPerPixel;
    } else if (result.bitsPerPixel == 0) {
        result.bitsPerPixel = depthOf(result.frames.first());
    }
    return result;
}

// ImageMagick, libwmf and libemf2svg parse in the sandboxed helper; in process only where the
// helper is not installed, and for Photo CD, which ImageMagick reads through a temporary file
// that the locked-down helper may not create.
DecodedImage decodeRisky(const QByteArray& data, ImageFormat format) {
    SandboxedDecoder& sandbox = SandboxedDecoder::Shared();
    if (format != ImageFormat::Pcd && sandbox.Available()) {
        return sandbox.Decode(data, format);
    }
    return format == ImageFormat::Emf ? DecodeEmf(data, kMaxBytes) : DecodeWithMagick(data, format);
}

// Icons and cursors show their largest entry first; entries of equal size keep the file's order,
// the deepest of them listed first by most writers.
DecodedImage largestFirst(DecodedImage result) {
    std::stable_sort(result.frames.begin(), result.frames.end(),
                     [](const QImage& a, const QImage& b) {
                         return qint64(a.width()) * a.height() > qint64(b.width()) * b.height();
                     });
    return result;
}

}  // namespace

QImage SmoothlyScaled(const QImage& image, QSize size) {
    if (!isPaletted(image.format())) {
        return image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    const QImage colour = image.convertToFormat(
        image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    return colour.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

DecodedImage DecodeImageFile(const QString& path, QSize maxSize) {
    raiseQtAllocationLimit();
    if (path.isEmpty()) {
        return failure(QStringLiteral("No file name was given"));
    }
    const QFileInfo info(path);
    if (!info.exists()) {
        return failure(QStringLiteral("The file does not exist"));
    }
    if (info.isDir()) {
        return failure(QStringLiteral("The path is a folder, not an image file"));
    }
    // Opened without blocking and checked for what was opened: a FIFO or a device named like an
    // image is never read.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return failure(QStringLiteral("The file cannot be opened: %1")
                           .arg(QString::fromLocal8Bit(strerror(errno))));
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return failure(QStringLiteral("The path is not a regular file"));
    }
    QFile file(path);
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return failure(QStringLiteral("The file cannot be opened: %1").arg(file.errorString()));
    }
    if (file.size() == 0) {
        return failure(QStringLiteral("The file is empty"));
    }
    const QByteArray head = file.read(kHeadBytes);
    file.seek(0);
    const QString suffix = info.suffix();
    const ImageHeader header = SniffImageHeader(head, suffix);
    if (header.size.isValid() &&
        (header.size.width() > kMaxSide || header.size.height() > kMaxSide)) {
        return failure(tooLarge(header.size), header.format);
    }

    switch (header.format) {
        case ImageFormat::Jpeg:
            // A marker followed by gigabytes of anything else would be read whole and then
            // scanned to its end by libjpeg.
            if (file.size() > kJpegScanSearchBytes &&
                !hasJpegScanWithin(file, kJpegScanSearchBytes)) {
                return failure(QStringLiteral("The file is truncated or damaged"),
                               ImageFormat::Jpeg);
            }
            // Read whole: libjpeg decodes fastest from memory, and JPEG files are small next to
            // their pixels.
            return DecodeJpeg(file.readAll(), maxSize, kMaxBytes);
        case ImageFormat::Tga: {
            DecodedImage result = DecodeTga(file.readAll(), kMaxBytes);
            if (result.ok() && maxSize.isValid()) {
                result.frames.first() = reduced(result.frames.first(), maxSize);
            }
            return result;
        }
        case ImageFormat::Pcx:
        case ImageFormat::Psd:
        case ImageFormat::Wmf:
        case ImageFormat::Pcd:
            if (header.size.isValid() &&
                qint64(header.size.width()) * header.size.height() * 4 > kMaxBytes) {
                return failure(tooLarge(header.size), header.format);
            }
            if (header.format == ImageFormat::Pcx && IsMonochromePcx(head)) {
                return finishLibraryDecode(DecodePcxMono(file.readAll(), kMaxBytes), header,
                                           maxSize);
            }
            if (header.format == ImageFormat::Psd && IsIndexedPsd(head)) {
                return finishLibraryDecode(DecodePsdIndexed(file.readAll(), kMaxBytes), header,
                                           maxSize);
            }
            return finishLibraryDecode(decodeRisky(file.readAll(), header.format), header, maxSize);
        case ImageFormat::Emf:
            return finishLibraryDecode(decodeRisky(file.readAll(), ImageFormat::Emf), header,
                                       maxSize);
        case ImageFormat::Ico:
        case ImageFormat::Cur: {
            // All entries, even for a reduced decode: the largest is wanted, not the first.
            DecodedImage result = largestFirst(decodeWithQt(file, header, suffix, {}));
            if (result.ok() && maxSize.isValid()) {
                result.frames = {reduced(result.frames.first(), maxSize)};
            }
            return result;
        }
        default:
            if (header.format == ImageFormat::Unknown &&
                suffix.compare(QLatin1String("tla"), Qt::CaseInsensitive) == 0) {
                return failure(
                    QStringLiteral("TLA images cannot be opened: no decoder for them exists"));
            }
            return decodeWithQt(file, header, suffix, maxSize);
    }
}

}  // namespace lorvane
