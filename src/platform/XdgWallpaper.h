#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

#include "platform/Wallpaper.h"

namespace lorvane {

// One program run: its arguments go to it one by one, never through a shell.
struct WallpaperCommand {
    QString program;
    QStringList arguments;
    bool operator==(const WallpaperCommand&) const = default;
};

struct WallpaperRun {
    int exitCode = -1;  // -1: the program could not be started
    QByteArray output;
};

// The wallpaper on freedesktop desktops. The mechanism follows the entries of
// XDG_CURRENT_DESKTOP in order (GNOME, Budgie, Cinnamon, MATE, KDE, XFCE, LXQt, sway), then the
// desktop portal, then feh or xwallpaper on an X display; LORVANE_WALLPAPER_COMMAND, a program
// given the file's path as its one argument, replaces all of them.
class XdgWallpaper : public Wallpaper {
public:
    struct Environment {
        QString currentDesktop;   // XDG_CURRENT_DESKTOP
        QString overrideCommand;  // LORVANE_WALLPAPER_COMMAND
        bool x11Display = false;  // DISPLAY is set
        // The full path of a program found on PATH, or "".
        std::function<QString(const QString&)> findExecutable;
    };
    using Runner = std::function<WallpaperRun(const WallpaperCommand&)>;

    // The real environment, folder and processes.
    XdgWallpaper();
    XdgWallpaper(QString folder, Environment environment, Runner runner);

    QString WindowsFolder() override;
    bool SetDesktopWallpaper(const QString& path) override;

    // Text for a double-quoted JavaScript string literal.
    static QString escapeScriptString(const QString& text);

private:
    bool run(const WallpaperCommand& command);
    bool setForDesktop(const QString& desktop, const QString& path);
    bool setThroughGsettings(const QString& schema, const QStringList& keys, const QString& value);
    bool setForXfce(const QString& path);

    QString m_folder;
    Environment m_environment;
    Runner m_runner;
};

}  // namespace lorvane
