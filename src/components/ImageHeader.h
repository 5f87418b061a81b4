#pragma once

#include <QByteArray>
#include <QSize>
#include <QString>

#include "components/ImageFormat.h"

namespace lorvane {

// What the first bytes of a file say about it: its type and the depth it stores, before any
// decoder runs. Qt's readers report the in-memory format only, and guess types by suffix first,
// which a .jpg holding PNG data or a TGA whose header happens to look like a cursor defeats.
struct ImageHeader {
    ImageFormat format = ImageFormat::Unknown;
    QByteArray qtFormat;   // the name Qt's image I/O knows the type by; empty when Qt lacks it
    int bitsPerPixel = 0;  // 0 when the header does not tell
    QSize size;            // the declared pixel size (first image); invalid when not read
};

// head: the file's first bytes (64 KiB is plenty); suffix: the file name's extension, used only
// for types without a signature (TGA, WBMP). Pure function, thread-safe.
ImageHeader SniffImageHeader(const QByteArray& head, const QString& suffix);

// The format code for a name of Qt's image I/O ("jpeg", "png", "ico", ...).
ImageFormat FormatFromQtName(const QByteArray& qtFormat);

}  // namespace lorvane
