#include "platform/XdgWallpaper.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace lorvane {

namespace {

// A desktop that does not answer within this time is taken as one without the mechanism.
constexpr int kProgramTimeoutMs = 10000;

WallpaperRun runProgram(const WallpaperCommand& command) {
    QProcess process;
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.start(command.program, command.arguments);
    if (!process.waitForStarted())
        return {};
    if (!process.waitForFinished(kProgramTimeoutMs)) {
        process.kill();
        process.waitForFinished();
        return {};
    }
    if (process.exitStatus() != QProcess::NormalExit)
        return {};
    return {process.exitCode(), process.readAllStandardOutput()};
}

QString fileUri(const QString& path) {
    return QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded);
}

// sway reads its command as one line and splits it itself, so the path is quoted for it.
QString swayQuoted(const QString& path) {
    QString quoted = path;
    quoted.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    quoted.replace(QLatin1Char('"'), QLatin1String("\\\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

}  // namespace

XdgWallpaper::XdgWallpaper()
    : XdgWallpaper(
          QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
              QStringLiteral("/lorvane/wallpaper"),
          Environment{qEnvironmentVariable("XDG_CURRENT_DESKTOP"),
                      qEnvironmentVariable("LORVANE_WALLPAPER_COMMAND"),
                      !qEnvironmentVariableIsEmpty("DISPLAY"),
                      [](const QString& name) { return QStandardPaths::findExecutable(name); }},
          &runProgram) {}

XdgWallpaper::XdgWallpaper(QString folder, Environment environment, Runner runner)
    : m_folder(std::move(folder)),
      m_environment(std::move(environment)),
      m_runner(std::move(runner)) {}

QString XdgWallpaper::WindowsFolder() {
    QDir().mkpath(m_folder);
    QString folder = QDir::cleanPath(m_folder);
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder;
}

bool XdgWallpaper::run(const WallpaperCommand& command) {
    return m_runner(command).exitCode == 0;
}

bool XdgWallpaper::setThroughGsettings(const QString& schema, const QStringList& keys,
                                       const QString& value) {
    bool all = true;
    for (const QString& key : keys)
        all =
            run({QStringLiteral("gsettings"), {QStringLiteral("set"), schema, key, value}}) && all;
    return all;
}

bool XdgWallpaper::setForXfce(const QString& path) {
    const WallpaperRun listed =
        m_runner({QStringLiteral("xfconf-query"),
                  {QStringLiteral("-c"), QStringLiteral("xfce4-desktop"), QStringLiteral("-l")}});
    if (listed.exitCode != 0)
        return false;
    bool any = false;
    // Every monitor and workspace has its own property.
    for (const QByteArray& line : listed.output.split('\n')) {
        const QString property = QString::fromUtf8(line.trimmed());
        if (!property.endsWith(QLatin1String("/last-image")))
            continue;
        if (run({QStringLiteral("xfconf-query"),
                 {QStringLiteral("-c"), QStringLiteral("xfce4-desktop"), QStringLiteral("-p"),
                  property, QStringLiteral("-s"), path}}))
            any = true;
    }
    return any;
}

QString XdgWallpaper::escapeScriptString(const QString& text) {
    QString escaped;
    for (const QChar c : text) {
        if (c == QLatin1Char('\\') || c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            escaped += QLatin1Char('\\');
            escaped += c;
        } else if (c.unicode() < 0x20 || c.unicode() == 0x2028 || c.unicode() == 0x2029 ||
                   c.unicode() == 0x7f) {
            escaped += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
        } else {
            escaped += c;
        }
    }
    return escaped;
}

bool XdgWallpaper::setForDesktop(const QString& desktop, const QString& path) {
    const QString d = desktop.toLower();
    if (d == QLatin1String("gnome") || d == QLatin1String("budgie") ||
        d == QLatin1String("unity")) {
        return setThroughGsettings(
            QStringLiteral("org.gnome.desktop.background"),
            {QStringLiteral("picture-uri"), QStringLiteral("picture-uri-dark")}, fileUri(path));
    }
    if (d == QLatin1String("x-cinnamon") || d == QLatin1String("cinnamon")) {
        return setThroughGsettings(QStringLiteral("org.cinnamon.desktop.background"),
                                   {QStringLiteral("picture-uri")}, fileUri(path));
    }
    if (d == QLatin1String("mate")) {
        return setThroughGsettings(QStringLiteral("org.mate.background"),
                                   {QStringLiteral("picture-filename")}, path);
    }
    if (d == QLatin1String("kde")) {
        const QString script =
            QStringLiteral(
                "var all = desktops();"
                "for (var i = 0; i < all.length; i++) {"
                " var d = all[i];"
                " d.wallpaperPlugin = \"org.kde.image\";"
                " d.currentConfigGroup = [\"Wallpaper\", \"org.kde.image\", \"General\"];"
                " d.writeConfig(\"Image\", \"%1\");"
                "}")
                .arg(escapeScriptString(fileUri(path)));
        return run({QStringLiteral("dbus-send"),
                    {QStringLiteral("--session"), QStringLiteral("--print-reply"),
                     QStringLiteral("--dest=org.kde.plasmashell"), QStringLiteral("/PlasmaShell"),
                     QStringLiteral("org.kde.PlasmaShell.evaluateScript"),
                     QStringLiteral("string:") + script}});
    }
    if (d == QLatin1String("xfce"))
        return setForXfce(path);
    if (d == QLatin1String("lxqt"))
        return run({QStringLiteral("pcmanfm-qt"), {QStringLiteral("--set-wallpaper"), path}});
    if (d == QLatin1String("sway")) {
        return run({QStringLiteral("swaymsg"),
                    {QStringLiteral("output"), QStringLiteral("*"), QStringLiteral("bg"),
                     swayQuoted(path), QStringLiteral("fill")}});
    }
    return false;
}

bool XdgWallpaper::SetDesktopWallpaper(const QString& path) {
    if (!m_environment.overrideCommand.isEmpty())
        return run({m_environment.overrideCommand, {path}});
    for (const QString& desktop :
         m_environment.currentDesktop.split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        if (setForDesktop(desktop, path))
            return true;
    }
    // The portal asks the user itself and needs no knowledge of the desktop.
    if (run({QStringLiteral("gdbus"),
             {QStringLiteral("call"), QStringLiteral("--session"), QStringLiteral("--dest"),
              QStringLiteral("org.freedesktop.portal.Desktop"), QStringLiteral("--object-path"),
              QStringLiteral("/org/freedesktop/portal/desktop"), QStringLiteral("--method"),
              QStringLiteral("org.freedesktop.portal.Wallpaper.SetWallpaperURI"),
              QStringLiteral("''"),
              QLatin1Char('\'') + escapeScriptString(fileUri(path)) + QLatin1Char('\''),
              QStringLiteral("{'set-on': <'background'>}")}}))
        return true;
    if (!m_environment.x11Display || !m_environment.findExecutable)
        return false;
    if (const QString feh = m_environment.findExecutable(QStringLiteral("feh")); !feh.isEmpty()) {
        if (run({feh, {QStringLiteral("--bg-fill"), path}}))
            return true;
    }
    if (const QString xw = m_environment.findExecutable(QStringLiteral("xwallpaper"));
        !xw.isEmpty()) {
        if (run({xw, {QStringLiteral("--zoom"), path}}))
            return true;
    }
    return false;
}

}  // namespace lorvane
