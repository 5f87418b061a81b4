#include "platform/ShellFileOperation.h"

namespace lorvane {

QString ShellFileOperationRequest::joinSources(const QStringList& paths) {
    QString joined;
    for (const QString& path : paths) {
        joined += path;
        joined += QChar(u'\0');
    }
    return joined;
}

QStringList ShellFileOperationRequest::sources() const {
    QStringList paths = source.split(QChar(u'\0'), Qt::SkipEmptyParts);
    return paths;
}

}  // namespace lorvane
