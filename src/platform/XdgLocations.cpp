#include "platform/XdgLocations.h"

#include <QDir>

namespace lorvane {

namespace {

QString absoluteOr(const QString& value, const QString& fallback) {
    return !value.isEmpty() && QDir::isAbsolutePath(value) ? QDir::cleanPath(value) : fallback;
}

QStringList absoluteListOr(const QString& value, const QStringList& fallback) {
    QStringList dirs;
    for (const QString& entry : value.split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        if (QDir::isAbsolutePath(entry))
            dirs.append(QDir::cleanPath(entry));
    }
    return dirs.isEmpty() ? fallback : dirs;
}

}  // namespace

XdgLocations XdgLocations::fromEnvironment() {
    const QString home = qEnvironmentVariable("HOME", QDir::homePath());
    XdgLocations locations;
    locations.configHome =
        absoluteOr(qEnvironmentVariable("XDG_CONFIG_HOME"), home + QStringLiteral("/.config"));
    locations.configDirs =
        absoluteListOr(qEnvironmentVariable("XDG_CONFIG_DIRS"), {QStringLiteral("/etc/xdg")});
    locations.dataHome =
        absoluteOr(qEnvironmentVariable("XDG_DATA_HOME"), home + QStringLiteral("/.local/share"));
    locations.dataDirs =
        absoluteListOr(qEnvironmentVariable("XDG_DATA_DIRS"),
                       {QStringLiteral("/usr/local/share"), QStringLiteral("/usr/share")});
    for (const QString& desktop :
         qEnvironmentVariable("XDG_CURRENT_DESKTOP").split(QLatin1Char(':'), Qt::SkipEmptyParts))
        locations.desktops.append(desktop.toLower());
    return locations;
}

}  // namespace lorvane
