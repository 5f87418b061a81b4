#pragma once

#include <QImage>
#include <QString>

#include "components/ImageFormat.h"

namespace lorvane {

// Outcome of a save; reason is in words a user understands.
struct SaveResult {
    bool ok = false;
    QString reason;
    explicit operator bool() const { return ok; }
};

// Output.SaveFile's writer: the image in the format of one of the ten Save As codes (1 JPEG,
// 2 PNG, 3 TIFF, 4 PCX, 5 TGA, 6 BMP, 7 WMF, 8 EMF, 9 PSD, 10 WBMP). The bytes go to a temporary
// file beside the target that is renamed over it only once complete, so a failed save leaves
// neither a partial file nor a damaged original. Thread-safe.
SaveResult SaveImageFile(const QImage& image, const QString& path, ImageFormat format);

// Whether a code is one of the ten writable ones.
bool IsWritableFormat(ImageFormat format);

}  // namespace lorvane
