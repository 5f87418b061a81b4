#pragma once

#include <QImage>
#include <QString>

namespace lorvane {

// The platform picture loader: decodes a file into one picture without the imaging control's
// format detection (icons, cursors and device-independent bitmaps go this way). For a file with
// several pictures (an icon) the largest is returned.
struct PictureResult {
    QImage picture;
    QString reason;  // empty on success
    bool ok() const { return reason.isEmpty() && !picture.isNull(); }
};

PictureResult LoadPicture(const QString& path);

}  // namespace lorvane
