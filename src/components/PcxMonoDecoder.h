#pragma once

#include <QByteArray>

#include "components/ImageCodecs.h"

namespace lorvane {

// Black-and-white PCX (one plane of one bit). ImageMagick 6.9.11, the library behind the other
// PCX kinds, shows these with black and white swapped whatever the file's palette says. The two
// colours are the header palette's first two entries, or black and white when the palette does
// not tell them apart (many writers leave it zero). Thread-safe. maxBytes caps the decoded
// image's memory.
DecodedImage DecodePcxMono(const QByteArray& data, qint64 maxBytes);

// Whether a PCX header describes one plane of one bit.
bool IsMonochromePcx(const QByteArray& head);

}  // namespace lorvane
