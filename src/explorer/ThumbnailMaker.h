#pragma once

#include <QImage>
#include <QString>

namespace lorvane {

// The picture of one image item, or why there is none.
struct Thumbnail {
    QImage picture;
    QString reason;         // why the file could not be made into a thumbnail; empty on success
    bool vanished = false;  // the file no longer exists (removed since the folder was listed)
    bool ok() const { return reason.isEmpty() && !vanished && !picture.isNull(); }
};

// Makes the thumbnail of one image file, at its final size.
//
// Picture-loader files (icons, cursors, DIBs) keep the picture as loaded; one larger than the
// 140 x 140 cell is kept at the size the cell shows it, since nothing shows more of it. Every
// other file follows ThumbnailGeometryFor: it is decoded at a reduced size where the decoder can
// scale while decoding (JPEG: the smallest DCT scale not below the target), scaled smoothly to
// the exact size, and flattened onto white, so the result is opaque RGB888 (three bytes a pixel;
// a thumbnail list of a large folder is mostly these bytes).
//
// Thread-safe and without side effects: the explorer calls it from worker threads.
Thumbnail MakeThumbnail(const QString& path);

}  // namespace lorvane
