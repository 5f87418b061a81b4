#pragma once

#include <QString>

#include <memory>

namespace lorvane {

struct DecodedImage;

// The photo named on the command line, decoded on a thread of its own from the first moments of
// the process, while the application object and the windows are still being built. On two
// cores this takes the decode off the path to the first paint. ImageDocument::LoadFile takes it
// from here.
//
// Only JPEG files are decoded this early: their decoder is our own and loads no Qt plug-in, so
// it may run before the application object exists. Any other file is decoded when it is shown,
// as before.

// Starts decoding `path` (made absolute) when it is an existing JPEG file. One at a time: a
// call while an earlier decode is held is ignored.
void StartEarlyDecode(const QString& path);

// The early decode of `path` when one was started for that path and the file has not changed
// since; waits for it to finish. It is handed out once; nullptr otherwise.
std::shared_ptr<const DecodedImage> TakeEarlyDecode(const QString& path);

// Drops an early decode nobody took (the start showed another image or none), after waiting for
// its thread, so that its pixels do not stay in memory.
void DiscardEarlyDecode();

}  // namespace lorvane
