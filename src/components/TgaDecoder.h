#pragma once

#include <QByteArray>

#include "components/ImageCodecs.h"

namespace lorvane {

// Truevision TGA, every kind in common use: colour-mapped, true-colour and grey, plain or
// run-length encoded, 8/15/16/24/32 bits, any origin corner. Qt's own reader takes only plain
// true-colour files that carry the version 2 footer, which most TGA files do not.
// Thread-safe. maxBytes caps the decoded image's memory.
DecodedImage DecodeTga(const QByteArray& data, qint64 maxBytes);

}  // namespace lorvane
