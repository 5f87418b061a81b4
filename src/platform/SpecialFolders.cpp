#include "platform/SpecialFolders.h"

#include <QDir>
#include <QStandardPaths>

namespace lorvane {

QString XdgSpecialFolders::SpecialFolderPath(int id) const {
    if (id != kDesktop)
        return QString();
    // QStandardPaths reads user-dirs.dirs, the file `xdg-user-dir DESKTOP` reads.
    QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    if (desktop.isEmpty())
        desktop = QDir::homePath() + QStringLiteral("/Desktop");
    if (!desktop.endsWith(QLatin1Char('/')))
        desktop += QLatin1Char('/');
    return desktop;
}

}  // namespace lorvane
