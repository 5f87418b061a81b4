#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

namespace lorvane {

// The whole content of path when it is a regular file that can be read; nothing for a missing or
// unreadable file and for anything else (a FIFO, a device, a folder). It never blocks: the file is
// opened with O_NONBLOCK and what was opened is checked, so a FIFO put in a file's place is refused
// rather than waited on.
std::optional<QByteArray> ReadRegularFile(const QString& path);

}  // namespace lorvane
