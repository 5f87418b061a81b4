#pragma once

#include <QStringList>

namespace lorvane::bench {

// start FILE [--runs N]: process start to the image painted in the viewer, the way
// `lorvane FILE` shows it (a child process runs the real start-up sequence with a settings file
// of its own and exits after the first paint), beside djpeg decoding the same file.
int runStart(QStringList arguments);

// The child's side of `start`: show FILE once and exit.
int runShowOnce(QStringList arguments);

}  // namespace lorvane::bench
