#pragma once

#include <QByteArray>
#include <QImage>

#include "components/ImageCodecs.h"
#include "components/ImageFormat.h"

namespace lorvane {

// The types Qt's image I/O lacks and ImageMagick reads well: Photoshop (the flattened composite),
// PCX, Photo CD (base resolution) and Windows metafiles. Each call names the one coder to use, so
// bytes never reach a coder they were not sniffed for. ImageMagick's resource limits are tightened
// here and its system policy (policy.xml) stays in force on top of them. Thread-safe.
DecodedImage DecodeWithMagick(const QByteArray& data, ImageFormat format);

// Writes PSD, PCX or TGA into memory; an empty result with a reason on failure.
struct EncodedBytes {
    QByteArray bytes;
    QString reason;
    bool ok() const { return reason.isEmpty(); }
};
EncodedBytes EncodeWithMagick(const QImage& image, ImageFormat format);

}  // namespace lorvane
