#pragma once

#include <QStringList>

namespace lorvane::bench {

// step FOLDER [--steps N] [--pause MS]: steps the real viewer window through the folder's images
// as a user does, pausing between steps (so the neighbour is decoded ahead of time), and times
// each step from the key to the image painted on screen. Also the step with no pause (a held
// key) and the resident memory afterwards.
int runStep(QStringList arguments);
// The browser's preview stepped through a folder as the arrow keys do.
int runPreviewStep(QStringList arguments);

}  // namespace lorvane::bench
