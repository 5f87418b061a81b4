#pragma once

#include <QDateTime>
#include <QFileInfo>
#include <QString>

namespace lorvane {

// What tells us a file changed on disk between the start of its decode and the use of it.
struct FileStamp {
    bool exists = false;
    qint64 size = -1;
    QDateTime modified;

    bool operator==(const FileStamp&) const = default;
};

inline FileStamp StampOf(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists())
        return {};
    return {true, info.size(), info.lastModified()};
}

}  // namespace lorvane
