#pragma once

#include <QStringList>

namespace lorvane::bench {

// paint FILE [--runs N]: what ImgX costs per paint on a 1920x1080 control: the first paint at a
// fitting zoom (builds the reduced copy), a repaint at that zoom, a repaint zoomed in 2x, and
// for reference the naive way (scaling the whole image in every paint).
int runPaint(QStringList arguments);

}  // namespace lorvane::bench
