#pragma once

#include <QByteArray>

#include "components/ImageCodecs.h"

namespace lorvane {

// Enhanced metafiles, rendered at their own size (the header's frame at 96 DPI) on white:
// libemf2svg turns the records into SVG, Qt SVG draws it. The record list is checked first, so
// a file whose records run past its end or loop never reaches the library. Thread-safe.
DecodedImage DecodeEmf(const QByteArray& data, qint64 maxBytes);

// The pixel size an EMF header declares at 96 DPI; invalid when the header or its record chain
// is malformed (first record not a header, a record that is not a multiple of four bytes or runs
// past the end, no end-of-file record). Pure; the fuzzing target drives it.
QSize EmfFrameSize(const QByteArray& data);

}  // namespace lorvane
