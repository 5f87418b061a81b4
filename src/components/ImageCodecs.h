#pragma once

#include <QImage>
#include <QList>
#include <QSize>
#include <QString>

#include "components/ImageFormat.h"

namespace lorvane {

// Every image of one file, decoded through the one codec layer (Qt's image I/O plus our handlers).
struct DecodedImage {
    QList<QImage> frames;
    ImageFormat format = ImageFormat::Unknown;
    int bitsPerPixel = 0;  // the file's depth, not the in-memory one
    QString reason;        // empty on success
    // Frame 0 reduced to cover the screen, made ahead of time by the decode cache so that the first
    // paint of a large image costs no full-image scale on the UI thread. Null when not made.
    QImage preview;
    bool ok() const { return reason.isEmpty() && !frames.isEmpty(); }
};

// Decodes all frames/pages. Thread-safe. maxSize, when valid, asks for a reduced decode of the
// first frame only (fast path for thumbnails and the first paint), never smaller than maxSize.
DecodedImage DecodeImageFile(const QString& path, QSize maxSize = {});

// A smooth scale that keeps the colours of palette and 1-bit images: Qt's own smooth scale
// turns a 1-bit image black, so those are scaled as 32-bit colour.
QImage SmoothlyScaled(const QImage& image, QSize size);

}  // namespace lorvane
