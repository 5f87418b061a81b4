#include "platform/XdgLauncher.h"

#include <QProcess>

namespace lorvane {

bool XdgLauncher::openDocument(const QString& path) {
    return QProcess::startDetached(QStringLiteral("xdg-open"), {path});
}

bool XdgLauncher::startProgram(const QString& program, const QStringList& arguments) {
    return QProcess::startDetached(program, arguments);
}

}  // namespace lorvane
