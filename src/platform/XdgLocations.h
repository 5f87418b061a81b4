#pragma once

#include <QString>
#include <QStringList>

namespace lorvane {

// The freedesktop base folders that decide where file associations are read and written, and the
// names of the running desktop (lower case, most specific first) for its own mimeapps.list.
struct XdgLocations {
    QString configHome;
    QStringList configDirs;
    QString dataHome;
    QStringList dataDirs;
    QStringList desktops;

    // From XDG_CONFIG_HOME, XDG_CONFIG_DIRS, XDG_DATA_HOME, XDG_DATA_DIRS, XDG_CURRENT_DESKTOP
    // and HOME, with the defaults of the base-directory rules for unset or relative entries.
    static XdgLocations fromEnvironment();

    // The file the user's own defaults are written to.
    QString userMimeApps() const { return configHome + QStringLiteral("/mimeapps.list"); }
    QString userApplications() const { return dataHome + QStringLiteral("/applications"); }
    QString userMimeFolder() const { return dataHome + QStringLiteral("/mime"); }
};

}  // namespace lorvane
