#pragma once

#include <QByteArray>

#include "components/ImageCodecs.h"

namespace lorvane {

// The flattened composite of an indexed-colour Photoshop file (8 bits, raw or PackBits rows).
// ImageMagick 6.9.11, the library behind the other Photoshop modes, refuses single-channel indexed
// files as having an improper header. Thread-safe. maxBytes caps the decoded image's memory.
DecodedImage DecodePsdIndexed(const QByteArray& data, qint64 maxBytes);

// Whether a Photoshop header names the indexed colour mode.
bool IsIndexedPsd(const QByteArray& head);

}  // namespace lorvane
