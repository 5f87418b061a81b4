#include "platform/HiveFileRegistry.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QSaveFile>
#include <QStandardPaths>
#include <cerrno>

namespace lorvane {

Q_LOGGING_CATEGORY(lcHiveFile, "lorvane.platform.registry")

namespace {

// An exclusive flock on the sibling lock file, held for one read-modify-write. The hive file
// itself cannot carry the lock: it is replaced by a rename on every write.
class HiveLock {
public:
    explicit HiveLock(const QString& path) {
        const QByteArray name = QFile::encodeName(path);
        m_fd = ::open(name.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        if (m_fd < 0) {
            m_fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC);
        }
        if (m_fd < 0) {
            return;
        }
        while (::flock(m_fd, LOCK_EX) != 0) {
            if (errno != EINTR) {
                ::close(m_fd);
                m_fd = -1;
                return;
            }
        }
    }
    ~HiveLock() {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    HiveLock(const HiveLock&) = delete;
    HiveLock& operator=(const HiveLock&) = delete;

    bool isLocked() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};

// Root passes every access() test, so a file or folder with no write bit at all counts as
// read-only too: that is how a read-only hive is made, and it should hold for every user.
bool isWritableEntry(const QString& path, bool mustBeFolder) {
    const QByteArray name = QFile::encodeName(path);
    struct stat info {};
    if (::stat(name.constData(), &info) != 0) {
        return false;
    }
    if (mustBeFolder && !S_ISDIR(info.st_mode)) {
        return false;
    }
    const int wanted = mustBeFolder ? (W_OK | X_OK) : W_OK;
    return (info.st_mode & 0222) != 0 && ::access(name.constData(), wanted) == 0;
}

}  // namespace

HiveFileRegistry::HiveFileRegistry(const QString& path)
    : m_path(QFileInfo(path).absoluteFilePath()) {}

QString HiveFileRegistry::defaultPath() {
    const QString overridden = qEnvironmentVariable("LORVANE_REGISTRY");
    if (!overridden.isEmpty()) {
        return overridden;
    }
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/lorvane/registry.reg");
}

std::optional<HiveFileRegistry::FileStamp> HiveFileRegistry::statFile() const {
    struct stat info {};
    if (::stat(QFile::encodeName(m_path).constData(), &info) != 0) {
        return std::nullopt;
    }
    return FileStamp{quint64(info.st_dev), quint64(info.st_ino), qint64(info.st_size),
                     qint64(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec};
}

HiveFileRegistry::FileContent HiveFileRegistry::readFile() const {
    FileContent content;
    // Without blocking: a FIFO or a device put in the hive's place must not hang the start. What
    // was opened is checked, not the name, and anything but a regular file reads as unreadable.
    const int fd = ::open(QFile::encodeName(m_path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        content.stamp = statFile();
        content.readable = !content.stamp;
        return content;
    }
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        content.stamp = statFile();
        content.readable = false;
        return content;
    }
    // The stamp of the file actually opened: a writer may rename a new one in at any moment.
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        content.stamp = statFile();
        content.readable = false;
        return content;
    }
    content.stamp = FileStamp{quint64(info.st_dev), quint64(info.st_ino), qint64(info.st_size),
                              qint64(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec};
    content.bytes = file.readAll();
    content.readable = file.error() == QFileDevice::NoError;
    return content;
}

void HiveFileRegistry::useHive(const RegistryHive& hive,
                               const std::optional<FileStamp>& stamp) const {
    m_hive = hive;
    m_stamp = stamp;
}

void HiveFileRegistry::warnOnce(const std::optional<FileStamp>& stamp,
                                const QString& message) const {
    if (m_warnedAbout && *m_warnedAbout == stamp) {
        return;
    }
    m_warnedAbout = stamp;
    qCWarning(lcHiveFile).noquote() << message;
}

bool HiveFileRegistry::moveAside(const QString& reason) const {
    const QString base = m_path + QStringLiteral(".broken-") +
                         QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString target = base;
    for (int n = 2; QFileInfo::exists(target); ++n) {
        target = base + u'-' + QString::number(n);
    }
    const std::optional<FileStamp> stamp = statFile();
    if (QFile::rename(m_path, target)) {
        warnOnce(stamp, QStringLiteral("The registry file %1 could not be read (%2); it was moved "
                                       "to %3 and an empty registry is used.")
                            .arg(m_path, reason, target));
        return true;
    }
    warnOnce(stamp, QStringLiteral("The registry file %1 could not be read (%2) and could not be "
                                   "moved aside; it is left unchanged and an empty registry is "
                                   "used.")
                        .arg(m_path, reason));
    return false;
}

// Called with the lock held. The hive on disk, a broken file moved aside first; nothing when
// the file can be neither read nor moved aside, so that it is never overwritten.
std::optional<RegistryHive> HiveFileRegistry::loadLocked() const {
    const FileContent content = readFile();
    if (!content.readable) {
        warnOnce(content.stamp,
                 QStringLiteral("The registry file %1 cannot be read; it is left unchanged and an "
                                "empty registry is used.")
                     .arg(m_path));
        return std::nullopt;
    }
    if (!content.stamp) {
        return RegistryHive();
    }
    RegistryHiveParse parsed = RegistryHive::fromRegFile(content.bytes);
    if (parsed.hive) {
        return parsed.hive;
    }
    if (!moveAside(parsed.error)) {
        return std::nullopt;
    }
    return RegistryHive();
}

const RegistryHive& HiveFileRegistry::readHive() const {
    const std::optional<FileStamp> stamp = statFile();
    if (!stamp) {
        useHive(RegistryHive(), std::nullopt);
        return m_hive;
    }
    if (m_stamp == stamp) {
        return m_hive;
    }
    const FileContent content = readFile();
    if (content.readable && content.stamp) {
        RegistryHiveParse parsed = RegistryHive::fromRegFile(content.bytes);
        if (parsed.hive) {
            useHive(*parsed.hive, content.stamp);
            return m_hive;
        }
        // Only a writer may rename the broken file, and only under the lock, so that it is never
        // a good file someone else has just written that gets moved aside.
        if (isWritable()) {
            const HiveLock lock(m_path + QStringLiteral(".lock"));
            if (lock.isLocked()) {
                if (const auto hive = loadLocked()) {
                    useHive(*hive, statFile());
                    return m_hive;
                }
            }
        }
        warnOnce(content.stamp,
                 QStringLiteral("The registry file %1 could not be read (%2); it is left "
                                "unchanged and an empty registry is used.")
                     .arg(m_path, parsed.error));
    } else if (!content.readable) {
        warnOnce(content.stamp,
                 QStringLiteral("The registry file %1 cannot be read; it is left unchanged and an "
                                "empty registry is used.")
                     .arg(m_path));
    }
    useHive(RegistryHive(), content.stamp);
    return m_hive;
}

bool HiveFileRegistry::isWritable() const {
    if (QFileInfo::exists(m_path) && !isWritableEntry(m_path, false)) {
        return false;
    }
    // The file is replaced by a rename, and a missing folder is created: both need the nearest
    // existing folder to be writable.
    QString folder = QFileInfo(m_path).absolutePath();
    while (!QFileInfo::exists(folder)) {
        const QString parent = QFileInfo(folder).absolutePath();
        if (parent == folder) {
            return false;
        }
        folder = parent;
    }
    return isWritableEntry(folder, true);
}

long HiveFileRegistry::modifyHive(const std::function<long(RegistryHive&)>& change) {
    if (!isWritable() || !QDir().mkpath(QFileInfo(m_path).absolutePath())) {
        return RegError::AccessDenied;
    }
    const HiveLock lock(m_path + QStringLiteral(".lock"));
    if (!lock.isLocked()) {
        return RegError::AccessDenied;
    }
    std::optional<RegistryHive> hive = loadLocked();
    if (!hive) {
        return RegError::AccessDenied;
    }
    const RegistryHive before = *hive;
    const long error = change(*hive);
    if (error != RegError::Success) {
        return error;
    }
    if (*hive != before) {
        const QByteArray bytes = hive->toRegFile();
        if (bytes.size() > RegistryHive::kMaxFileSize) {
            return RegError::RegistryIoFailed;
        }
        QSaveFile file(m_path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() ||
            !file.commit()) {
            return RegError::RegistryIoFailed;
        }
    }
    useHive(*hive, statFile());
    return RegError::Success;
}

}  // namespace lorvane
