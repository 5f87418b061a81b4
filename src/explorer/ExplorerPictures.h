#pragma once

#include <QImage>

namespace lorvane {

// The explorer's own pictures, drawn rather than shipped as files so that nothing can be
// missing at run time. Each is made once per call; callers keep the result.

// A subfolder item, 150 x 125.
QImage FolderPicture();

// A placeholder item whose picture is not made yet, 125 x 125.
QImage LoadingPicture();

// An image file that could not be decoded, 140 x 140.
QImage BrokenPicture();

}  // namespace lorvane
