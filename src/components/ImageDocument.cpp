#include "components/ImageDocument.h"

#include <QFileInfo>
#include <QTransform>

#include <cmath>

#include "components/DecodeCache.h"
#include "components/EarlyDecode.h"
#include "components/ImageCodecs.h"

namespace lorvane {

ImageDocument::ImageDocument(QObject* parent) : QObject(parent) {}

ImageDocument::~ImageDocument() = default;

LoadResult ImageDocument::LoadFile(const QString& path) {
    // The photo named on the command line may already be decoded, or be under way.
    std::shared_ptr<const DecodedImage> decoded = TakeEarlyDecode(path);
    if (!decoded && m_cache != nullptr) {
        decoded = m_cache->take(path);
    }
    if (!decoded) {
        decoded = std::make_shared<const DecodedImage>(DecodeImageFile(path));
    }
    if (!decoded->ok()) {
        Clear();
        return {false, decoded->reason.isEmpty() ? QStringLiteral("The file could not be read")
                                                 : decoded->reason};
    }
    m_images = decoded->frames;
    m_preview = decoded->preview;
    m_active = 0;
    m_fileName = path;
    m_format = decoded->format;
    m_bitsPerPixel = decoded->bitsPerPixel;
    Q_EMIT changed();
    return {true, {}};
}

void ImageDocument::LoadFromPicture(const QImage& picture, const QString& sourcePath) {
    if (picture.isNull()) {
        Clear();
        return;
    }
    m_images = {picture};
    m_preview = QImage();
    m_active = 0;
    m_fileName = sourcePath;
    m_format = ImageFormat::Unknown;
    m_bitsPerPixel =
        picture.hasAlphaChannel() ? 32 : (picture.depth() >= 24 ? 24 : picture.depth());
    Q_EMIT changed();
}

QImage ImageDocument::Item(int index) const {
    if (index < 0 || index >= m_images.size()) {
        return {};
    }
    return m_images.at(index);
}

void ImageDocument::Select(int index) {
    if (index < 0 || index >= m_images.size() || index == m_active) {
        return;
    }
    m_active = index;
    m_preview = QImage();
    Q_EMIT changed();
}

void ImageDocument::Clear() {
    m_images.clear();
    m_preview = QImage();
    m_active = -1;
    m_fileName.clear();
    m_format = ImageFormat::Unknown;
    m_bitsPerPixel = 0;
    Q_EMIT changed();
}

int ImageDocument::Width() const {
    return activeImage().width();
}

int ImageDocument::Height() const {
    return activeImage().height();
}

QString ImageDocument::ShortName() const {
    return QFileInfo(m_fileName).fileName();
}

const QImage& ImageDocument::activeImage() const {
    static const QImage empty;
    if (m_active < 0 || m_active >= m_images.size()) {
        return empty;
    }
    return m_images.at(m_active);
}

void ImageDocument::Rotate(double degrees) {
    if (m_active < 0 || m_active >= m_images.size() || !std::isfinite(degrees)) {
        return;
    }
    const double turns = degrees / 90.0;
    QImage& image = m_images[m_active];
    m_preview = QImage();
    if (turns == std::round(turns)) {
        const int quarter = ((int(std::fmod(turns, 4.0)) % 4) + 4) % 4;
        if (quarter == 0) {
            return;
        }
        // Exact quarter turns take Qt's lossless row/column copy, not a resampling.
        image = image.transformed(QTransform().rotate(90.0 * quarter));
    } else {
        image = image.transformed(QTransform().rotate(degrees), Qt::SmoothTransformation);
    }
    Q_EMIT changed();
}

SaveResult ImageDocument::SaveFile(const QString& path, int code, int option, bool flag) const {
    Q_UNUSED(option);
    Q_UNUSED(flag);
    if (isEmpty()) {
        return {false, QStringLiteral("There is no image to save")};
    }
    const auto format = static_cast<ImageFormat>(code);
    if (!IsWritableFormat(format)) {
        return {false, QStringLiteral("Images cannot be saved in this format")};
    }
    return SaveImageFile(activeImage(), path, format);
}

}  // namespace lorvane
