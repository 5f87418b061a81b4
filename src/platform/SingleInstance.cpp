#include "platform/SingleInstance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QDir>
#include <cerrno>
#include <cstdlib>

namespace lorvane {

FileLockSingleInstance::FileLockSingleInstance(const QString& name) : m_path(lockPathFor(name)) {}

FileLockSingleInstance::~FileLockSingleInstance() {
    if (m_fd >= 0)
        ::close(m_fd);
}

QString FileLockSingleInstance::lockPathFor(const QString& name) {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && *runtime && QDir(QString::fromLocal8Bit(runtime)).exists())
        return QString::fromLocal8Bit(runtime) + QLatin1Char('/') + name + QStringLiteral(".lock");
    // The temp folder is shared by every user: the user's id keeps one user's copy from
    // blocking another's.
    return QDir::tempPath() + QLatin1Char('/') + name + QLatin1Char('-') +
           QString::number(::getuid()) + QStringLiteral(".lock");
}

bool FileLockSingleInstance::tryAcquire() {
    if (m_fd >= 0)
        return true;
    const QByteArray path = QFile::encodeName(m_path);
    const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        // Without a lock file we cannot tell; starting is better than refusing to start.
        return true;
    }
    int result;
    do {
        result = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    if (result != 0) {
        ::close(fd);
        return false;
    }
    m_fd = fd;
    return true;
}

}  // namespace lorvane
