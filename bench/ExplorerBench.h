#pragma once

#include <QStringList>

namespace lorvane::bench {

// thumbnails FOLDER [--runs N]: ExplorePath on a hidden explorer control, to its end. Prints the
// item count, the seconds to the first and to the last thumbnail, thumbnails per second, the
// thumbnails' pixel bytes and the resident memory before and after one scan (times: median of
// N runs after an untimed first one; memory: that first run, with its list still alive).
int runThumbnails(QStringList arguments);

// list FOLDER: ExplorePath on a shown explorer control. Prints the seconds until the list is
// painted at its full length, the cost of scrolling through it page by page while the
// thumbnails are still filling, the seconds to the end of the scan, and the cost of scrolling
// through the filled list.
int runList(QStringList arguments);

}  // namespace lorvane::bench
