#pragma once

#include <QByteArray>
#include <QImage>

namespace lorvane {

// A raster image wrapped in a Windows metafile, the way Windows programs export a picture: one
// stretch-DIB record drawing a 24-bit bitmap at the picture's own size (96 DPI). Transparent
// pixels are laid over white, as a metafile viewer would show them. An empty result means the
// image cannot be held (null, or wider or taller than a metafile's 16-bit coordinates reach).
QByteArray EncodeWmf(const QImage& image);
QByteArray EncodeEmf(const QImage& image);

}  // namespace lorvane
