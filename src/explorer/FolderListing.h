#pragma once

#include <QString>
#include <QStringList>

namespace lorvane {

// Positions in an image list are signed 16-bit, so a list never holds more entries than this.
inline constexpr qsizetype kMaxImageListSize = 32768;

// The image files of one folder, as full paths (folder + "/" + name), in NaturalNameOrder.
//
// path: the folder, with or without a trailing "/"; an empty path is the root folder "/". A
// relative path is listed relative to the working folder and the results stay relative.
// SearchStr: a WildcardPattern for the names ("*.*" lists every name, with or without a dot).
// extList: the explorer's installed extension list (see HasListedExtension).
//
// Listed: regular files, hidden ones included, and symbolic links that lead to one. Not listed:
// folders (even one named album.jpg), broken links, and FIFOs, sockets and devices, which would
// block or make no sense to decode. Subfolders are not searched. A folder that is missing or
// cannot be read gives an empty list. Past kMaxImageListSize names the list is cut off.
QStringList GetImageList(const QString& extList, const QString& path, const QString& SearchStr);

}  // namespace lorvane
