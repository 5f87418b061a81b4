#pragma once

#include <QString>
#include <QStringList>

#include "viewer/ViewerLogic.h"

namespace lorvane {

// Texts of the viewer's five status panels.

// "0 Bytes", "1023 Bytes", "1. KB", "1.5 KB", "1. MB": at most one decimal, and the decimal point
// is always written, as the classic "#.#" pattern does.
QString FormatFileSize(double bytes);

// Zoom as a whole percentage followed by " %"; below 0.5 % the number is empty (" %").
QString FormatZoomPercent(double zoom);

// "3/12"
QString FormatPosition(int position, int count);
// "800x600x24b jpg"
QString FormatPixelFormat(int width, int height, int bitsPerPixel, const QString& extension);

// The widest texts status panel `panel` (1 to 5) shows, to size it by, so that no text is ever
// cut ("1023 Byte" for "1023 Bytes" in the smallest window): the last position of a list of
// `listCount` images, the longest size of each unit, the largest image and depth with a wide
// extension, the largest zoom the steps reach. Panel 2, the file name, has none: it takes the
// room left over.
QStringList WidestStatusTexts(int panel, int listCount = kMaxImageListPosition + 1);

struct StatusBarInput {
    int position = 0;  // 1-based
    int count = 0;
    QString path;             // the list entry shown
    QString shortName;        // the imaging control's name of the decoded file
    QString decodedFileName;  // the imaging control's source path
    int width = 0;
    int height = 0;
    int bitsPerPixel = 0;
    double zoom = 1.0;
};

// Lengths are read through this, so that a file gone since it was shown ends the refresh
// (panels already computed keep their new text, the rest their old one).
using FileLengthReader = qint64 (*)(const QString& path);

// Fills `panels` (five entries) in order; returns false when it stopped early because a file's
// length could not be read.
bool FillStatusPanels(const StatusBarInput& input, QStringList& panels, FileLengthReader lengthOf);

}  // namespace lorvane
