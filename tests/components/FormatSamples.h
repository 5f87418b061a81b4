#pragma once

#include <QByteArray>
#include <QImage>

// Files of the types no Qt writer makes, built byte by byte from a picture, so that the reader
// under test (a library) and the writer (this file) are independent of each other.
namespace formatsamples {

enum class PsdMode { Grey = 1, Indexed = 2, Rgb = 3, Cmyk = 4 };

// A Photoshop file holding only the flattened composite. Indexed takes the picture's first 256
// colours; depth 8 or 16; rle selects PackBits rows instead of raw ones.
QByteArray psd(const QImage& picture, PsdMode mode, int depth, bool rle);
// A PCX file: bits 1 (one plane, black and white), 4 (four planes, the EGA palette), 8 (one
// plane with a 256-colour palette at the end) or 24 (three planes).
QByteArray pcx(const QImage& picture, int bits);
// What a picture looks like after being reduced to the colours a PCX or PSD of that kind holds.
QImage toPalette(const QImage& picture, int colours);
// An icon whose entries are PNG files, as Windows Vista and later write large icons.
QByteArray pngIcon(const QList<QImage>& entries);

}  // namespace formatsamples
