#pragma once

#include <QStringList>

namespace lorvane::bench {

// open FILE [--runs N]: full decode, reduced decode for a 1920x1080 first paint, and djpeg's
// full decode of the same file (process start included), each the median of N runs.
int runOpen(QStringList arguments);

}  // namespace lorvane::bench
