#pragma once

#include <QImage>
#include <QList>
#include <QObject>
#include <QString>

#include "components/ImageFormat.h"
#include "components/ImageWriter.h"

namespace lorvane {

class DecodeCache;

// Outcome of a load. A failed load leaves the document empty and says why in words a user
// understands ("The file is truncated", "Unsupported image format", ...).
struct LoadResult {
    bool ok = false;
    QString reason;
    explicit operator bool() const { return ok; }
};

// The imaging control's document: the images (pages, frames) of one file, the active one, and
// what is known of the source. No widget: the explorer uses it alone for thumbnails, the display
// widget ImgX shows one. UI thread only (decoding itself may run elsewhere, see DecodeCache).
class ImageDocument : public QObject {
    Q_OBJECT

public:
    explicit ImageDocument(QObject* parent = nullptr);
    ~ImageDocument() override;

    // FileIO.LoadFile: the file's images replace the document's; image 0 becomes active.
    // Uses the decode cache when one is set and holds the file (decoded ahead of time).
    LoadResult LoadFile(const QString& path);
    // FileIO.LoadFromPicture: one picture decoded elsewhere (the platform picture loader).
    // sourcePath is remembered as FileName when given.
    void LoadFromPicture(const QImage& picture, const QString& sourcePath = {});
    void setDecodeCache(DecodeCache* cache) { m_cache = cache; }

    // Images
    int Count() const { return static_cast<int>(m_images.size()); }
    QImage Item(int index) const;
    void Select(int index);
    void Clear();
    int activeIndex() const { return m_active; }
    bool isEmpty() const { return m_images.isEmpty(); }

    // ActiveImage (0 / empty when the document holds nothing)
    int Width() const;
    int Height() const;
    QString FileName() const { return m_fileName; }
    QString ShortName() const;  // the file name without its folder
    ImageFormat Format() const { return m_format; }
    int BitsPerPixel() const { return m_bitsPerPixel; }
    const QImage& activeImage() const;

    // Processing
    // Turns the active image a quarter; +90 is clockwise on screen, -90 anticlockwise.
    void Rotate(double degrees);

    // The active image reduced to fit the screen, when the decode cache made one; null otherwise
    // (and after anything changed the pixels).
    const QImage& displayPreview() const { return m_preview; }

    // Output
    QImage GetPicture() const { return activeImage(); }
    // Output.SaveFile: the active image as it is now (turned, resized) in the format of a Save As
    // code. option and flag are the control's writer settings and change nothing here. The
    // document itself is left as it was, whatever the outcome.
    SaveResult SaveFile(const QString& path, int code, int option = 0, bool flag = true) const;

Q_SIGNALS:
    // The held images, the active image, or its pixels changed.
    void changed();

private:
    QList<QImage> m_images;
    QImage m_preview;  // of image 0, while it is active and unchanged
    int m_active = -1;
    QString m_fileName;
    ImageFormat m_format = ImageFormat::Unknown;
    int m_bitsPerPixel = 0;
    DecodeCache* m_cache = nullptr;
};

}  // namespace lorvane
