#include "platform/XdgShellFileOperation.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

namespace lorvane {

namespace {

QByteArray bytes(const QString& path) {
    return QFile::encodeName(path);
}

bool lstatPath(const QString& path, struct stat& st) {
    return ::lstat(bytes(path).constData(), &st) == 0;
}

bool exists(const QString& path) {
    struct stat st {};
    return lstatPath(path, st);
}

bool isRealDir(const QString& path) {
    struct stat st {};
    return lstatPath(path, st) && S_ISDIR(st.st_mode);
}

QString cleanAbsolute(const QString& path) {
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

QString nameOf(const QString& path) {
    return QFileInfo(path).fileName();
}

int codeForErrno(int error) {
    switch (error) {
        case 0:
            return ShellResult::Ok;
        case EACCES:
        case EPERM:
        case EROFS:
            return ShellResult::AccessDenied;
        case ENOSPC:
        case EDQUOT:
            return ShellResult::DiskFull;
        case ENOENT:
            return ShellResult::FileNotFound;
        case ENOTDIR:
            return ShellResult::PathNotFound;
        case EEXIST:
        case ENOTEMPTY:
            return ShellResult::FileExists;
        case ENAMETOOLONG:
            return ShellResult::InvalidName;
        default:
            return ShellResult::Failed;
    }
}

QString reasonFor(int code, int error) {
    switch (code) {
        case ShellResult::AccessDenied:
            return QStringLiteral("Access is denied.");
        case ShellResult::DiskFull:
            return QStringLiteral("There is not enough space on the disk.");
        case ShellResult::FileNotFound:
            return QStringLiteral("The system cannot find the file specified.");
        case ShellResult::PathNotFound:
            return QStringLiteral("The system cannot find the path specified.");
        case ShellResult::FileExists:
            return QStringLiteral(
                "A file with the name you specified already exists. Specify a different file "
                "name.");
        case ShellResult::InvalidName:
            return QStringLiteral("The file name is not valid.");
        case ShellResult::SameFile:
            return QStringLiteral("The source and destination file names are the same.");
        default:
            return error ? QString::fromLocal8Bit(std::strerror(error)) + QLatin1Char('.')
                         : QStringLiteral("An unexpected error occurred.");
    }
}

// Renames without ever replacing what is at the destination.
int renameNoReplace(const QString& from, const QString& to) {
    if (::renameat2(AT_FDCWD, bytes(from).constData(), AT_FDCWD, bytes(to).constData(),
                    RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    // File systems without RENAME_NOREPLACE: a hard link fails on an existing name.
    if (exists(to))
        return EEXIST;
    return ::rename(bytes(from).constData(), bytes(to).constData()) == 0 ? 0 : errno;
}

qint64 treeSize(const QString& path, qint64* fileCount = nullptr) {
    struct stat st {};
    if (!lstatPath(path, st))
        return 0;
    if (!S_ISDIR(st.st_mode)) {
        if (fileCount)
            ++*fileCount;
        return S_ISREG(st.st_mode) ? qint64(st.st_size) : 0;
    }
    qint64 total = 0;
    QDirIterator it(path, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    while (it.hasNext())
        total += treeSize(it.next(), fileCount);
    return total;
}

bool removeTree(const QString& path) {
    if (isRealDir(path))
        return QDir(path).removeRecursively();
    return ::unlink(bytes(path).constData()) == 0;
}

struct Failure {
    int code = ShellResult::Ok;
    int error = 0;
    QString reason;  // overrides the reason of the code
};

class Operation {
public:
    Operation(Prompts& prompts, const XdgTrash& trash, const ShellFileOperationRequest& request)
        : m_prompts(prompts), m_trash(trash), m_request(request) {}

    ShellFileOperationResult run();

private:
    bool confirm(const QString& text, const QString& caption, MessageIcon icon);
    MessageResult ask(const QString& text, const QString& caption, MessageButtons buttons,
                      MessageIcon icon);
    void fail(const QString& path, Failure failure);
    bool reportProgress(const QString& path);

    void runDelete(const QStringList& sources);
    void runRename(const QString& source);
    void runCopyOrMove(const QStringList& sources);
    bool transfer(const QString& source, QString destination);

    Failure copyEntry(const QString& source, const QString& destination, bool replace,
                      bool followLink);
    Failure copyTreeInto(const QString& source, const QString& destination);
    Failure copyFileContent(const QString& source, const QString& destination, bool replace);

    bool isMove() const { return m_request.function == ShellFunction::Move; }

    Prompts& m_prompts;
    const XdgTrash& m_trash;
    const ShellFileOperationRequest& m_request;
    ShellFileOperationResult m_result;
    bool m_stopped = false;
    qint64 m_bytesDone = 0;
    qint64 m_bytesTotal = 0;
};

MessageResult Operation::ask(const QString& text, const QString& caption, MessageButtons buttons,
                             MessageIcon icon) {
    if (m_request.flags & ShellFlags::NoConfirmation)
        return MessageResult::Yes;
    return m_prompts.messageBox(text, buttons, icon, caption);
}

bool Operation::confirm(const QString& text, const QString& caption, MessageIcon icon) {
    if (ask(text, caption, MessageButtons::YesNo, icon) == MessageResult::Yes)
        return true;
    m_result.anyOperationsAborted = true;
    m_result.code = ShellResult::Cancelled;
    m_stopped = true;
    return false;
}

void Operation::fail(const QString& path, Failure failure) {
    m_stopped = true;
    if (failure.code == ShellResult::Cancelled) {
        m_result.anyOperationsAborted = true;
        m_result.code = ShellResult::Cancelled;
        return;
    }
    m_result.code = failure.code;
    if (m_request.flags & ShellFlags::NoErrorUi)
        return;
    QString verb;
    QString caption;
    switch (m_request.function) {
        case ShellFunction::Copy:
            verb = QStringLiteral("copy");
            caption = QStringLiteral("Error Copying File or Folder");
            break;
        case ShellFunction::Move:
            verb = QStringLiteral("move");
            caption = QStringLiteral("Error Moving File or Folder");
            break;
        case ShellFunction::Delete:
            verb = QStringLiteral("delete");
            caption = QStringLiteral("Error Deleting File or Folder");
            break;
        case ShellFunction::Rename:
            verb = QStringLiteral("rename");
            caption = QStringLiteral("Error Renaming File or Folder");
            break;
    }
    const QString reason =
        failure.reason.isEmpty() ? reasonFor(failure.code, failure.error) : failure.reason;
    m_prompts.messageBox(QStringLiteral("Cannot %1 %2: %3").arg(verb, nameOf(path), reason),
                         MessageButtons::Ok, MessageIcon::Critical, caption);
}

bool Operation::reportProgress(const QString& path) {
    if (!m_request.progress)
        return true;
    return m_request.progress(ShellProgress{m_bytesDone, m_bytesTotal, path});
}

ShellFileOperationResult Operation::run() {
    QStringList sources;
    for (const QString& source : m_request.sources())
        sources.append(cleanAbsolute(source));
    if (sources.isEmpty()) {
        m_result.code = ShellResult::InvalidParameter;
        return m_result;
    }
    for (const QString& source : sources) {
        if (!exists(source)) {
            fail(source, {ShellResult::FileNotFound, ENOENT, {}});
            return m_result;
        }
    }
    switch (m_request.function) {
        case ShellFunction::Delete:
            runDelete(sources);
            break;
        case ShellFunction::Rename:
            if (sources.size() != 1)
                m_result.code = ShellResult::InvalidParameter;
            else
                runRename(sources.first());
            break;
        case ShellFunction::Copy:
        case ShellFunction::Move:
            runCopyOrMove(sources);
            break;
    }
    return m_result;
}

void Operation::runDelete(const QStringList& sources) {
    const bool toTrash = m_request.flags & ShellFlags::AllowUndo;
    if (sources.size() == 1) {
        const QString name = nameOf(sources.first());
        const bool folder = isRealDir(sources.first());
        QString text;
        if (toTrash)
            text = folder ? QStringLiteral(
                                "Are you sure you want to move the folder '%1' and all its "
                                "contents to the Trash?")
                          : QStringLiteral("Are you sure you want to move '%1' to the Trash?");
        else
            text = folder ? QStringLiteral(
                                "Are you sure you want to permanently delete the folder "
                                "'%1' and all its contents?")
                          : QStringLiteral("Are you sure you want to permanently delete '%1'?");
        if (!confirm(text.arg(name),
                     folder ? QStringLiteral("Confirm Folder Delete")
                            : QStringLiteral("Confirm File Delete"),
                     toTrash ? MessageIcon::Question : MessageIcon::Exclamation))
            return;
    } else {
        const QString text =
            toTrash ? QStringLiteral("Are you sure you want to move these %1 items to the Trash?")
                    : QStringLiteral("Are you sure you want to permanently delete these %1 items?");
        if (!confirm(text.arg(sources.size()), QStringLiteral("Confirm Multiple File Delete"),
                     toTrash ? MessageIcon::Question : MessageIcon::Exclamation))
            return;
    }

    for (const QString& source : sources) {
        if (m_stopped)
            return;
        if (!reportProgress(source)) {
            fail(source, {ShellResult::Cancelled, 0, {}});
            return;
        }
        if (toTrash) {
            const XdgTrash::Outcome outcome = m_trash.moveToTrash(source);
            if (outcome.status == XdgTrash::Status::Trashed)
                continue;
            if (outcome.status == XdgTrash::Status::Failed) {
                fail(source, {codeForErrno(outcome.error), outcome.error, {}});
                return;
            }
            const MessageResult answer = ask(
                QStringLiteral("'%1' cannot be moved to the Trash: no trash folder can take it.\n\n"
                               "Do you want to delete it permanently?")
                    .arg(nameOf(source)),
                QStringLiteral("Delete File"), MessageButtons::YesNoCancel,
                MessageIcon::Exclamation);
            if (answer != MessageResult::Yes) {
                m_result.anyOperationsAborted = true;
                m_result.code = ShellResult::Cancelled;
                if (answer == MessageResult::No)
                    continue;
                m_stopped = true;
                return;
            }
        }
        errno = 0;
        if (!removeTree(source)) {
            const int error = errno ? errno : EACCES;
            fail(source, {codeForErrno(error), error, {}});
            return;
        }
    }
}

void Operation::runRename(const QString& source) {
    const QString target = cleanAbsolute(m_request.target);
    const QString newName = nameOf(m_request.target);
    if (m_request.target.isEmpty() || newName.isEmpty() ||
        QFileInfo(target).path() != QFileInfo(source).path()) {
        fail(source, {ShellResult::InvalidName, 0,
                      QStringLiteral("A file name cannot be empty or contain the character /.")});
        return;
    }
    if (target == source)
        return;
    if (exists(target)) {
        fail(source, {ShellResult::FileExists, EEXIST, {}});
        return;
    }
    const int error = renameNoReplace(source, target);
    if (error)
        fail(source, {codeForErrno(error), error, {}});
}

void Operation::runCopyOrMove(const QStringList& sources) {
    if (m_request.target.isEmpty()) {
        m_result.code = ShellResult::InvalidParameter;
        return;
    }
    const QString target = cleanAbsolute(m_request.target);
    // Several sources go into the target folder, each under its own name.
    if (sources.size() > 1) {
        QFileInfo folder(target);
        if (!folder.isDir()) {
            fail(target, {ShellResult::PathNotFound, ENOENT, {}});
            return;
        }
    }
    for (const QString& source : sources)
        m_bytesTotal += treeSize(source);

    for (const QString& source : sources) {
        if (m_stopped)
            return;
        const QString destination =
            sources.size() > 1 ? target + QLatin1Char('/') + nameOf(source) : target;
        if (!transfer(source, destination))
            return;
    }
}

// Copies or moves one entry; false when the whole operation stops.
bool Operation::transfer(const QString& source, QString destination) {
    struct stat sourceSt {};
    lstatPath(source, sourceSt);
    const bool sourceIsDir = S_ISDIR(sourceSt.st_mode);

    if (destination == source) {
        if (isMove()) {
            fail(source, {ShellResult::SameFile, 0, {}});
            return false;
        }
        // A copy onto itself is made beside it, as the shell does.
        const QFileInfo info(source);
        const QString stem = sourceIsDir ? info.fileName() : info.completeBaseName();
        const QString suffix =
            sourceIsDir || info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix();
        for (int n = 1;; ++n) {
            destination = info.path() + QLatin1Char('/') + stem + QStringLiteral(" - Copy") +
                          (n > 1 ? QStringLiteral(" (%1)").arg(n) : QString()) + suffix;
            if (!exists(destination))
                break;
        }
    }
    if (sourceIsDir && destination.startsWith(source + QLatin1Char('/'))) {
        fail(source,
             {ShellResult::Failed, 0,
              QStringLiteral("The destination folder is a subfolder of the source folder.")});
        return false;
    }
    const QString parent = QFileInfo(destination).path();
    if (!QFileInfo(parent).isDir()) {
        fail(source, {ShellResult::PathNotFound, ENOENT, {}});
        return false;
    }

    bool replace = false;
    struct stat destinationSt {};
    if (lstatPath(destination, destinationSt)) {
        if (sourceIsDir || S_ISDIR(destinationSt.st_mode)) {
            fail(source, {ShellResult::FileExists, EEXIST,
                          QStringLiteral("The destination already contains an item named '%1'.")
                              .arg(nameOf(destination))});
            return false;
        }
        const MessageResult answer =
            ask(QStringLiteral("This folder already contains a file named '%1'.\n\n"
                               "Would you like to replace the existing file with this one?")
                    .arg(nameOf(destination)),
                QStringLiteral("Confirm File Replace"), MessageButtons::YesNoCancel,
                MessageIcon::Question);
        if (answer != MessageResult::Yes) {
            m_result.anyOperationsAborted = true;
            m_result.code = ShellResult::Cancelled;
            if (answer != MessageResult::No)
                m_stopped = true;
            return answer == MessageResult::No;
        }
        replace = true;
    }

    if (isMove()) {
        const int error =
            replace
                ? (::rename(bytes(source).constData(), bytes(destination).constData()) == 0 ? 0
                                                                                            : errno)
                : renameNoReplace(source, destination);
        if (error == 0) {
            m_bytesDone += treeSize(destination);
            return true;
        }
        if (error != EXDEV) {
            fail(source, {codeForErrno(error), error, {}});
            return false;
        }
    }

    const Failure copied = copyEntry(source, destination, replace, !isMove());
    if (copied.code != ShellResult::Ok) {
        fail(source, copied);
        return false;
    }
    if (!isMove())
        return true;

    // Across file systems: the source goes only once the copy is known to be whole.
    qint64 sourceFiles = 0;
    qint64 copiedFiles = 0;
    const qint64 sourceSize = treeSize(source, &sourceFiles);
    if (treeSize(destination, &copiedFiles) != sourceSize || copiedFiles != sourceFiles) {
        removeTree(destination);
        fail(source, {ShellResult::Failed, EIO, {}});
        return false;
    }
    errno = 0;
    if (!removeTree(source)) {
        const int error = errno ? errno : EACCES;
        fail(source, {codeForErrno(error), error, {}});
        return false;
    }
    return true;
}

Failure Operation::copyEntry(const QString& source, const QString& destination, bool replace,
                             bool followLink) {
    struct stat st {};
    lstatPath(source, st);
    if (S_ISLNK(st.st_mode) && !followLink) {
        QByteArray raw(4096, '\0');
        const ssize_t n = ::readlink(bytes(source).constData(), raw.data(), size_t(raw.size()));
        if (n < 0)
            return {codeForErrno(errno), errno, {}};
        raw.truncate(int(n));
        if (::symlink(raw.constData(), bytes(destination).constData()) != 0)
            return {codeForErrno(errno), errno, {}};
        return {};
    }
    if (!S_ISDIR(st.st_mode))
        return copyFileContent(source, destination, replace);

    // A folder is built whole under a temporary name and renamed into place at the end.
    QByteArray temp = bytes(QFileInfo(destination).path() + QStringLiteral("/.lorvane-XXXXXX"));
    if (!::mkdtemp(temp.data()))
        return {codeForErrno(errno), errno, {}};
    const QString tempPath = QFile::decodeName(temp);
    Failure failure = copyTreeInto(source, tempPath);
    if (failure.code == ShellResult::Ok) {
        ::chmod(temp.constData(), st.st_mode & 07777);
        if (const int error = renameNoReplace(tempPath, destination))
            failure = {codeForErrno(error), error, {}};
    }
    if (failure.code != ShellResult::Ok)
        QDir(tempPath).removeRecursively();
    return failure;
}

Failure Operation::copyTreeInto(const QString& source, const QString& destination) {
    QDirIterator it(source, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    while (it.hasNext()) {
        const QString from = it.next();
        const QString to = destination + QLatin1Char('/') + it.fileName();
        struct stat st {};
        if (!lstatPath(from, st))
            return {codeForErrno(errno), errno, {}};
        Failure failure;
        if (S_ISDIR(st.st_mode)) {
            if (::mkdir(bytes(to).constData(), 0700) != 0)
                return {codeForErrno(errno), errno, {}};
            failure = copyTreeInto(from, to);
            ::chmod(bytes(to).constData(), st.st_mode & 07777);
        } else if (S_ISLNK(st.st_mode)) {
            failure = copyEntry(from, to, false, false);
        } else if (S_ISREG(st.st_mode)) {
            failure = copyFileContent(from, to, false);
        } else {
            continue;  // sockets, fifos and devices are not copied
        }
        if (failure.code != ShellResult::Ok)
            return failure;
    }
    return {};
}

Failure Operation::copyFileContent(const QString& source, const QString& destination,
                                   bool replace) {
    const int in = ::open(bytes(source).constData(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return {codeForErrno(errno), errno, {}};
    struct stat st {};
    ::fstat(in, &st);

    QByteArray temp = bytes(QFileInfo(destination).path() + QStringLiteral("/.lorvane-XXXXXX"));
    const int out = ::mkostemp(temp.data(), O_CLOEXEC);
    if (out < 0) {
        const int error = errno;
        ::close(in);
        return {codeForErrno(error), error, {}};
    }

    Failure failure;
    std::vector<char> buffer(1 << 20);
    if (!reportProgress(source))
        failure = {ShellResult::Cancelled, 0, {}};
    while (failure.code == ShellResult::Ok) {
        const ssize_t n = ::read(in, buffer.data(), buffer.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            failure = {codeForErrno(errno), errno, {}};
            break;
        }
        if (n == 0)
            break;
        for (ssize_t written = 0; written < n && failure.code == ShellResult::Ok;) {
            const ssize_t w = ::write(out, buffer.data() + written, size_t(n - written));
            if (w < 0 && errno != EINTR)
                failure = {codeForErrno(errno), errno, {}};
            else if (w > 0)
                written += w;
        }
        m_bytesDone += n;
        if (failure.code == ShellResult::Ok && !reportProgress(source))
            failure = {ShellResult::Cancelled, 0, {}};
    }
    ::close(in);
    if (failure.code == ShellResult::Ok) {
        ::fchmod(out, st.st_mode & 07777);
        const struct timespec times[2] = {st.st_atim, st.st_mtim};
        ::futimens(out, times);
        if (::fsync(out) != 0)
            failure = {codeForErrno(errno), errno, {}};
    }
    if (::close(out) != 0 && failure.code == ShellResult::Ok)
        failure = {codeForErrno(errno), errno, {}};
    if (failure.code == ShellResult::Ok) {
        const QString tempPath = QFile::decodeName(temp);
        const int error =
            replace ? (::rename(temp.constData(), bytes(destination).constData()) == 0 ? 0 : errno)
                    : renameNoReplace(tempPath, destination);
        if (error)
            failure = {codeForErrno(error), error, {}};
    }
    if (failure.code != ShellResult::Ok)
        ::unlink(temp.constData());
    return failure;
}

}  // namespace

XdgShellFileOperation::XdgShellFileOperation(Prompts& prompts, XdgTrash trash)
    : m_prompts(prompts), m_trash(std::move(trash)) {}

ShellFileOperationResult XdgShellFileOperation::run(const ShellFileOperationRequest& request) {
    Operation operation(m_prompts, m_trash, request);
    return operation.run();
}

}  // namespace lorvane
