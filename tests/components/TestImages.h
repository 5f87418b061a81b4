#pragma once

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QList>
#include <QSize>
#include <QString>

// Image files built byte by byte or through Qt's writers, for formats and shapes Qt cannot write
// (multi-frame GIF, multi-page TIFF, icons with several sizes, cursors, TGA) and for broken files.
namespace testimages {

// A picture with four differently coloured quadrants (top-left red, top-right green,
// bottom-left blue, bottom-right yellow), so that turns and mirrors show.
QImage quadrants(int width, int height, QImage::Format format = QImage::Format_RGB32);
// Photo-like noise, so that a JPEG of it has a long scan to cut short.
QImage noise(int width, int height, quint32 seed = 1);

QByteArray encode(const QImage& image, const char* format, int quality = -1);
bool writeFile(const QString& path, const QByteArray& bytes);

// Three frames of the given size, palette indices 1, 2, 3 (red, green, blue).
QByteArray gif(QSize size, int frames = 3);
// One uncompressed 24-bit RGB page per size.
QByteArray tiff(const QList<QSize>& pages);
// 32-bit BMP-style entries, one per size; a cursor (type 2) with hot spot 1,1 when cursor.
QByteArray icon(const QList<QSize>& sizes, bool cursor = false);
// True colour TGA from a picture: 24 or 32 bits, plain or run-length encoded, rows stored
// bottom-up as most writers do.
QByteArray tga(const QImage& image, int bits, bool rle);
// A PNG whose header declares the given size (valid CRC) and holds no pixel data.
QByteArray pngHeaderOnly(quint32 width, quint32 height);
// A BMP file header declaring the given 24-bit size and holding no pixel data.
QByteArray bmpHeaderOnly(qint32 width, qint32 height);
// The same JPEG with an EXIF orientation tag inserted after its start marker.
QByteArray withExifOrientation(const QByteArray& jpeg, int orientation);

}  // namespace testimages
