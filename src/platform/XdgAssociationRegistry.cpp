#include "platform/XdgAssociationRegistry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QRegularExpression>
#include <QSaveFile>
#include <utility>

#include "platform/MimeAppsList.h"
#include "platform/RegularFile.h"

namespace lorvane {

namespace {

const QLatin1StringView kOpenCommand{"\\shell\\open\\command"};
const QLatin1StringView kCommandArgument{" %1"};

QByteArray readFile(const QString& path) {
    return ReadRegularFile(path).value_or(QByteArray());
}

bool writeFileAtomically(const QString& path, const QByteArray& bytes) {
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(bytes);
    return file.commit();
}

// One argument of a desktop entry's Exec key: quoted, with the characters that stay special
// inside quotes escaped, "%" doubled so it is no field code, and then every backslash doubled
// again because the whole key is a string value of the entry file.
QString execArgument(const QString& argument) {
    QString quoted = QStringLiteral("\"");
    for (const QChar c : argument) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') ||
            c == QLatin1Char('\\'))
            quoted += QLatin1Char('\\');
        quoted += c;
        if (c == QLatin1Char('%'))
            quoted += QLatin1Char('%');
    }
    quoted += QLatin1Char('"');
    return quoted.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
}

// The program of a registered command: the text before its file argument. The command names the
// program without quotes (on Windows its short path has no blanks), but one written with quotes
// by hand is understood too.
QString programOfCommand(QString command) {
    if (command.endsWith(kCommandArgument))
        command.chop(kCommandArgument.size());
    if (command.size() >= 2 && command.startsWith(QLatin1Char('"')) &&
        command.endsWith(QLatin1Char('"')))
        command = command.mid(1, command.size() - 2);
    return command;
}

QStringList mimeTypesOfEntry(const QByteArray& entry) {
    for (const QByteArray& line : entry.split('\n')) {
        if (line.startsWith("MimeType="))
            return QString::fromUtf8(line.mid(9).trimmed())
                .split(QLatin1Char(';'), Qt::SkipEmptyParts);
    }
    return {};
}

}  // namespace

XdgAssociationRegistry::XdgAssociationRegistry(Registry& inner, XdgLocations locations,
                                               QString applicationIcon)
    : m_inner(inner),
      m_locations(std::move(locations)),
      m_applicationIcon(std::move(applicationIcon)) {}

QString XdgAssociationRegistry::ownMimeType(const QString& extension) {
    QString name = extension.toLower();
    if (name.startsWith(QLatin1Char('.')))
        name.remove(0, 1);
    return QStringLiteral("image/x-lorvane-") + name;
}

QString XdgAssociationRegistry::mimeTypeOf(const QString& extension) const {
    const QMimeDatabase database;
    const QMimeType type =
        database.mimeTypeForFile(QStringLiteral("x") + extension, QMimeDatabase::MatchExtension);
    if (type.isValid() && !type.isDefault())
        return type.name();
    return ownMimeType(extension);
}

std::optional<QString> XdgAssociationRegistry::extensionOf(RegRoot root, const QString& path) {
    if (root != RegRoot::ClassesRoot)
        return std::nullopt;
    QString name = path;
    if (name.endsWith(QLatin1Char('\\')))
        name.chop(1);
    if (name.size() < 2 || !name.startsWith(QLatin1Char('.')) || name.contains(QLatin1Char('\\')))
        return std::nullopt;
    return name;
}

XdgAssociationRegistry::UserDefaults XdgAssociationRegistry::readUserDefaults() const {
    const QString path = m_locations.userMimeApps();
    const QFileInfo info(path);
    if (!info.exists())
        return {};
    const std::optional<QByteArray> bytes = ReadRegularFile(path);
    if (!bytes)
        return {false, {}};
    return {true, *bytes};
}

bool XdgAssociationRegistry::userDefaultsWritable() const {
    const QFileInfo info(m_locations.userMimeApps());
    // Like the hive file: a file without any write permission bit is read-only even for root.
    constexpr QFile::Permissions anyWrite =
        QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
    if (info.exists())
        return info.isFile() && info.isWritable() && (info.permissions() & anyWrite);
    const QFileInfo folder(m_locations.configHome);
    return !folder.exists() || (folder.isDir() && folder.isWritable());
}

bool XdgAssociationRegistry::isInstalled(const QString& desktopId) const {
    QStringList dataDirs{m_locations.dataHome};
    dataDirs += m_locations.dataDirs;
    for (const QString& dir : std::as_const(dataDirs)) {
        if (QFileInfo(dir + QStringLiteral("/applications/") + desktopId).isFile())
            return true;
    }
    return false;
}

QString XdgAssociationRegistry::defaultApplication(const QString& mimeType,
                                                   const UserDefaults& user) const {
    const QString general = QStringLiteral("mimeapps.list");
    auto filesOf = [&](const QString& dir) {
        QStringList files;
        for (const QString& desktop : m_locations.desktops)
            files.append(dir + QLatin1Char('/') + desktop + QLatin1Char('-') + general);
        files.append(dir + QLatin1Char('/') + general);
        return files;
    };
    QStringList files = filesOf(m_locations.configHome);
    for (const QString& dir : m_locations.configDirs)
        files += filesOf(dir);
    files += filesOf(m_locations.userApplications());
    for (const QString& dir : m_locations.dataDirs)
        files += filesOf(dir + QStringLiteral("/applications"));

    for (const QString& file : std::as_const(files)) {
        const QByteArray text = file == m_locations.userMimeApps() ? user.text : readFile(file);
        for (const QString& id : MimeAppsList::defaultsFor(text, mimeType)) {
            if (isInstalled(id))
                return id;
        }
    }
    return QString();
}

QString XdgAssociationRegistry::storedDefault(const QString& extension) const {
    const RegOpenResult opened = m_inner.openKey(RegRoot::ClassesRoot, extension, RegAccess::Read);
    return opened.ok() ? m_inner.queryValue(opened.key, QString()).text() : QString();
}

std::optional<QString> XdgAssociationRegistry::registeredCommand(const QString& progId) const {
    if (progId.isEmpty() || progId.startsWith(QLatin1Char('.')))
        return std::nullopt;
    const RegOpenResult opened =
        m_inner.openKey(RegRoot::ClassesRoot, progId + kOpenCommand, RegAccess::Read);
    if (!opened.ok())
        return std::nullopt;
    const RegValue command = m_inner.queryValue(opened.key, QString());
    if (!command.ok())
        return std::nullopt;
    return command.text();
}

RegOpenResult XdgAssociationRegistry::openKey(RegRoot root, const QString& path,
                                              RegAccess access) const {
    const std::optional<QString> extension = extensionOf(root, path);
    if (!extension)
        return m_inner.openKey(root, path, access);
    const UserDefaults user = readUserDefaults();
    if (!user.readable)
        return {RegError::RegistryIoFailed, {}};
    if (access == RegAccess::AllAccess && !userDefaultsWritable())
        return {RegError::AccessDenied, {}};
    RegOpenResult opened = m_inner.openKey(root, path, access);
    // The desktop may know an opener for a type the program never touched.
    if (opened.error == RegError::FileNotFound && access == RegAccess::Read &&
        !defaultApplication(mimeTypeOf(*extension), user).isEmpty())
        return {RegError::Success, RegKey{root, path, RegAccess::Read}};
    return opened;
}

RegOpenResult XdgAssociationRegistry::createKey(RegRoot root, const QString& path) {
    if (extensionOf(root, path) && (!readUserDefaults().readable || !userDefaultsWritable()))
        return {RegError::AccessDenied, {}};
    return m_inner.createKey(root, path);
}

RegValue XdgAssociationRegistry::queryValue(const RegKey& key, const QString& name) const {
    const std::optional<QString> extension = extensionOf(key.root, key.path);
    if (!extension || !name.isEmpty())
        return m_inner.queryValue(key, name);
    const UserDefaults user = readUserDefaults();
    if (!user.readable)
        return {RegError::RegistryIoFailed, RegType::None, {}};
    const QString application = defaultApplication(mimeTypeOf(*extension), user);
    QString text = application;
    if (application == desktopId()) {
        const QString stored = storedDefault(*extension);
        text = registeredCommand(stored) ? stored : QString();
    }
    if (text.isEmpty() && !m_inner.queryValue(key, name).ok())
        return {RegError::FileNotFound, RegType::None, {}};
    return {RegError::Success, RegType::Sz, regStringData(text)};
}

long XdgAssociationRegistry::setValue(const RegKey& key, const QString& name, RegType type,
                                      const QByteArray& data) {
    const std::optional<QString> extension = extensionOf(key.root, key.path);
    if (extension && name.isEmpty()) {
        if (key.access != RegAccess::AllAccess)
            return RegError::AccessDenied;
        const bool isText = type == RegType::Sz || type == RegType::ExpandSz;
        const long error = writeDefault(*extension, isText ? regStringText(data) : QString());
        if (error != RegError::Success)
            return error;
    }
    const long error = m_inner.setValue(key, name, type, data);
    if (error == RegError::Success && name.isEmpty() && key.root == RegRoot::ClassesRoot &&
        key.path.endsWith(kOpenCommand, Qt::CaseInsensitive) &&
        (type == RegType::Sz || type == RegType::ExpandSz))
        refreshDesktopEntry(regStringText(data));
    return error;
}

void XdgAssociationRegistry::refreshDesktopEntry(const QString& command) {
    // The program registers its command at every start; when it has moved (a new build, an
    // installation) the desktop entry that already opens its types must follow, or opening a
    // picture from the file manager would start a program that is no longer there. Best
    // effort: the command itself is stored either way.
    const QString path = m_locations.userApplications() + QLatin1Char('/') + desktopId();
    if (QFileInfo(path).isFile())
        installDesktopEntry(command, QString());
}

long XdgAssociationRegistry::deleteValue(const RegKey& key, const QString& name) {
    const std::optional<QString> extension = extensionOf(key.root, key.path);
    if (extension && name.isEmpty()) {
        if (key.access != RegAccess::AllAccess)
            return RegError::AccessDenied;
        const long error = writeDefault(*extension, QString());
        if (error != RegError::Success)
            return error;
    }
    return m_inner.deleteValue(key, name);
}

long XdgAssociationRegistry::deleteKey(const RegKey& parent, const QString& subKey) {
    const QString path = parent.path.isEmpty() ? subKey : parent.path + QLatin1Char('\\') + subKey;
    const std::optional<QString> extension = extensionOf(parent.root, path);
    if (extension && parent.access == RegAccess::AllAccess) {
        const long error = writeDefault(*extension, QString());
        if (error != RegError::Success)
            return error;
    }
    return m_inner.deleteKey(parent, subKey);
}

RegSubKeys XdgAssociationRegistry::subKeyNames(const RegKey& key) const {
    return m_inner.subKeyNames(key);
}

long XdgAssociationRegistry::writeDefault(const QString& extension, const QString& text) {
    const UserDefaults user = readUserDefaults();
    if (!user.readable)
        return RegError::RegistryIoFailed;
    if (!userDefaultsWritable())
        return RegError::AccessDenied;
    const QString mimeType = mimeTypeOf(extension);

    QString application;
    const std::optional<QString> command = registeredCommand(text);
    if (command) {
        if (mimeType == ownMimeType(extension) && !installMimeType(extension))
            return RegError::RegistryIoFailed;
        if (!installDesktopEntry(*command, mimeType))
            return RegError::RegistryIoFailed;
        application = desktopId();
    } else if (text.endsWith(QLatin1String(".desktop"))) {
        application = text;
    }

    const QByteArray changed = MimeAppsList::withDefault(user.text, mimeType, application);
    if (changed == user.text)
        return RegError::Success;
    return writeFileAtomically(m_locations.userMimeApps(), changed) ? RegError::Success
                                                                    : RegError::RegistryIoFailed;
}

bool XdgAssociationRegistry::installDesktopEntry(const QString& command, const QString& mimeType) {
    // A command without its program cannot open anything; the type keeps its opener.
    const QString program = programOfCommand(command);
    if (program.trimmed().isEmpty())
        return false;
    const QString path = m_locations.userApplications() + QLatin1Char('/') + desktopId();
    QStringList mimeTypes = mimeTypesOfEntry(readFile(path));
    if (!mimeType.isEmpty() && !mimeTypes.contains(mimeType))
        mimeTypes.append(mimeType);

    QString entry = QStringLiteral(
        "[Desktop Entry]\n"
        "Type=Application\n"
        "Name=Lorvane\n"
        "GenericName=Image Viewer\n"
        "Comment=Browse and view pictures\n");
    entry += QStringLiteral("Exec=") + execArgument(program) + QStringLiteral(" %f\n");
    if (!m_applicationIcon.isEmpty())
        entry += QStringLiteral("Icon=") + m_applicationIcon + QLatin1Char('\n');
    entry += QStringLiteral(
        "Terminal=false\n"
        "Categories=Graphics;Viewer;\n");
    entry += QStringLiteral("MimeType=") + mimeTypes.join(QLatin1Char(';')) + QStringLiteral(";\n");
    const QByteArray bytes = entry.toUtf8();
    return readFile(path) == bytes || writeFileAtomically(path, bytes);
}

bool XdgAssociationRegistry::installMimeType(const QString& extension) {
    const QString path = m_locations.userMimeFolder() + QStringLiteral("/packages/lorvane.xml");
    static const QRegularExpression globPattern(QStringLiteral("<glob pattern=\"\\*\\.([^\"]+)\""));
    QStringList names;
    const QString existing = QString::fromUtf8(readFile(path));
    for (const QRegularExpressionMatch& match : globPattern.globalMatch(existing))
        names.append(match.captured(1));
    const QString name = ownMimeType(extension).mid(QStringLiteral("image/x-lorvane-").size());
    if (names.contains(name))
        return true;
    names.append(name);

    QString package = QStringLiteral(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n");
    for (const QString& each : std::as_const(names)) {
        const QString escaped = each.toHtmlEscaped();
        package += QStringLiteral("  <mime-type type=\"image/x-lorvane-") + escaped +
                   QStringLiteral("\">\n    <comment>") + escaped.toUpper() +
                   QStringLiteral(" image</comment>\n    <glob pattern=\"*.") + escaped +
                   QStringLiteral("\"/>\n  </mime-type>\n");
    }
    package += QStringLiteral("</mime-info>\n");
    return writeFileAtomically(path, package.toUtf8());
}

}  // namespace lorvane
