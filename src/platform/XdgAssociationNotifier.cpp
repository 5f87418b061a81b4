#include "platform/XdgAssociationNotifier.h"

#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <utility>

namespace lorvane {

namespace {

void runTool(const QString& name, const QStringList& arguments) {
    const QString program = QStandardPaths::findExecutable(name);
    if (program.isEmpty())
        return;
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.setStandardOutputFile(QProcess::nullDevice());
    process.start(program, arguments);
    // Bounded, so that a hung tool cannot hold the start-up; the caches are only a convenience.
    if (!process.waitForFinished(30000)) {
        process.kill();
        process.waitForFinished(1000);
    }
}

}  // namespace

XdgAssociationNotifier::XdgAssociationNotifier(XdgLocations locations)
    : m_locations(std::move(locations)) {}

void XdgAssociationNotifier::associationsChanged() {
    if (QFileInfo(m_locations.userApplications()).isDir())
        runTool(QStringLiteral("update-desktop-database"),
                {QStringLiteral("-q"), m_locations.userApplications()});
    if (QFileInfo(m_locations.userMimeFolder() + QStringLiteral("/packages")).isDir())
        runTool(QStringLiteral("update-mime-database"), {m_locations.userMimeFolder()});
}

}  // namespace lorvane
