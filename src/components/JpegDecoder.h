#pragma once

#include <QByteArray>
#include <QSize>

#include "components/ImageCodecs.h"

namespace lorvane {

// JPEG straight through libjpeg-turbo: decodes into the image's own rows (no per-row copy or
// conversion), scales in the DCT for reduced decodes, turns the picture as its EXIF orientation
// says, refuses a file that ends early (Qt's reader shows such a file with a grey bottom and calls
// it a success) and stops a progressive file with an absurd number of scans instead of spinning.
// Thread-safe; each call has its own decoder state.
//
// maxSize as for DecodeImageFile; maxBytes caps the decoded image's memory.
DecodedImage DecodeJpeg(const QByteArray& data, QSize maxSize, qint64 maxBytes);

}  // namespace lorvane
