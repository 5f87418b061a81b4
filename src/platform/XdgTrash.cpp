#include "platform/XdgTrash.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>

namespace lorvane {

namespace {

QByteArray bytes(const QString& path) {
    return QFile::encodeName(path);
}

bool lstatPath(const QString& path, struct stat& st) {
    return ::lstat(bytes(path).constData(), &st) == 0;
}

// Device of the nearest existing folder on the way up, for a trash folder that may not exist yet.
dev_t deviceOfNearestExisting(QString path) {
    struct stat st {};
    while (!path.isEmpty()) {
        if (::stat(bytes(path).constData(), &st) == 0)
            return st.st_dev;
        const QString parent = QFileInfo(path).path();
        if (parent == path)
            break;
        path = parent;
    }
    return 0;
}

// The mount point of a path: the highest folder on the way up that is on the same device.
QString topDirectory(const QString& folder, dev_t device) {
    QString top = folder;
    while (top != QLatin1String("/")) {
        const QString parent = QFileInfo(top).path();
        struct stat st {};
        if (::stat(bytes(parent).constData(), &st) != 0 || st.st_dev != device)
            break;
        top = parent;
    }
    return top;
}

// Creates the folders of a path that are missing, each private to the user.
bool makePrivatePath(const QString& path) {
    struct stat st {};
    if (::stat(bytes(path).constData(), &st) == 0)
        return S_ISDIR(st.st_mode);
    const QString parent = QFileInfo(path).path();
    if (parent != path && !makePrivatePath(parent))
        return false;
    return ::mkdir(bytes(path).constData(), 0700) == 0 || errno == EEXIST;
}

// A trash folder that may hold files/ and info/: a real folder of ours, not a link.
bool usableTrashFolder(const QString& path) {
    struct stat st {};
    if (!lstatPath(path, st)) {
        if (::mkdir(bytes(path).constData(), 0700) != 0)
            return false;
        if (!lstatPath(path, st))
            return false;
    }
    if (!S_ISDIR(st.st_mode) || st.st_uid != ::getuid())
        return false;
    for (const char* sub : {"/files", "/info"}) {
        const QByteArray subPath = bytes(path + QLatin1String(sub));
        struct stat subSt {};
        if (::lstat(subPath.constData(), &subSt) == 0) {
            if (!S_ISDIR(subSt.st_mode))
                return false;
        } else if (::mkdir(subPath.constData(), 0700) != 0) {
            return false;
        }
    }
    return true;
}

}  // namespace

XdgTrash::XdgTrash(QString dataHome) : m_dataHome(std::move(dataHome)) {
    if (m_dataHome.isEmpty()) {
        const QString env = qEnvironmentVariable("XDG_DATA_HOME");
        m_dataHome =
            QDir::isAbsolutePath(env) ? env : QDir::homePath() + QLatin1String("/.local/share");
    }
    m_dataHome = QDir::cleanPath(m_dataHome);
}

QString XdgTrash::homeTrash() const {
    return m_dataHome + QLatin1String("/Trash");
}

QByteArray XdgTrash::encodePath(const QString& path) {
    return bytes(path).toPercentEncoding("/");
}

XdgTrash::Outcome XdgTrash::moveToTrash(const QString& givenPath) const {
    Outcome outcome;
    const QString path = QDir::cleanPath(QFileInfo(givenPath).absoluteFilePath());
    struct stat st {};
    if (!lstatPath(path, st)) {
        outcome.error = errno;
        return outcome;
    }
    const QString folder = QFileInfo(path).path();

    // The trash folder and how Path= is written there (relative to the volume's top, so a
    // removable disk's trash still restores when it is mounted elsewhere).
    QString trash;
    QString infoPath = path;
    if (deviceOfNearestExisting(homeTrash()) == st.st_dev) {
        if (makePrivatePath(homeTrash()) && usableTrashFolder(homeTrash()))
            trash = homeTrash();
    } else {
        const QString top = topDirectory(folder, st.st_dev);
        const QString uid = QString::number(::getuid());
        const QString shared =
            (top == QLatin1String("/") ? QString() : top) + QLatin1String("/.Trash");
        struct stat sharedSt {};
        if (lstatPath(shared, sharedSt) && S_ISDIR(sharedSt.st_mode) &&
            (sharedSt.st_mode & S_ISVTX) && usableTrashFolder(shared + QLatin1Char('/') + uid))
            trash = shared + QLatin1Char('/') + uid;
        else if (usableTrashFolder(shared + QLatin1Char('-') + uid))
            trash = shared + QLatin1Char('-') + uid;
        infoPath = top == QLatin1String("/") ? path.mid(1) : path.mid(top.size() + 1);
    }
    if (trash.isEmpty()) {
        outcome.status = Status::NoTrash;
        return outcome;
    }

    const QString name = QFileInfo(path).fileName();
    const QByteArray content =
        "[Trash Info]\nPath=" + encodePath(infoPath) + "\nDeletionDate=" +
        QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-ddThh:mm:ss")).toLatin1() +
        "\n";
    for (int n = 1; n < 10000; ++n) {
        const QString candidate = n == 1 ? name : name + QLatin1Char('.') + QString::number(n);
        const QString info =
            trash + QLatin1String("/info/") + candidate + QLatin1String(".trashinfo");
        const QString stored = trash + QLatin1String("/files/") + candidate;
        const int fd =
            ::open(bytes(info).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            outcome.status = Status::NoTrash;
            outcome.error = errno;
            return outcome;
        }
        struct stat storedSt {};
        const bool taken = lstatPath(stored, storedSt);
        const bool written =
            !taken && ::write(fd, content.constData(), size_t(content.size())) == content.size() &&
            ::fsync(fd) == 0;
        const int writeError = errno;
        ::close(fd);
        if (taken) {
            ::unlink(bytes(info).constData());
            continue;
        }
        if (!written || ::rename(bytes(path).constData(), bytes(stored).constData()) != 0) {
            const int error = written ? errno : writeError;
            ::unlink(bytes(info).constData());
            outcome.status = error == EXDEV ? Status::NoTrash : Status::Failed;
            outcome.error = error;
            return outcome;
        }
        outcome.status = Status::Trashed;
        outcome.trashedPath = stored;
        outcome.infoPath = info;
        return outcome;
    }
    outcome.error = EEXIST;
    return outcome;
}

}  // namespace lorvane
