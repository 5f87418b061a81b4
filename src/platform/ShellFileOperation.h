#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <functional>

class QObject;

namespace lorvane {

// Function codes and flags of the classic shell file-operation request, kept with their numbers
// so that callers written around them read the same.
enum class ShellFunction { Move = 1, Copy = 2, Delete = 3, Rename = 4 };

namespace ShellFlags {
inline constexpr quint16 Silent = 0x0004;          // no progress display
inline constexpr quint16 NoConfirmation = 0x0010;  // answer Yes to every question
inline constexpr quint16 AllowUndo = 0x0040;       // deletes go to the trash
inline constexpr quint16 NoErrorUi = 0x0400;       // failures are returned, not shown
}  // namespace ShellFlags

// Result codes; 0 means everything asked was done.
namespace ShellResult {
inline constexpr int Ok = 0;
inline constexpr int FileNotFound = 2;
inline constexpr int PathNotFound = 3;
inline constexpr int AccessDenied = 5;
inline constexpr int FileExists = 80;
inline constexpr int InvalidParameter = 87;
inline constexpr int DiskFull = 112;
inline constexpr int InvalidName = 123;
inline constexpr int SameFile = 0x71;  // source and destination are the same
inline constexpr int Cancelled = 1223;
inline constexpr int Failed = 0x10000;  // any other failure of the file system
}  // namespace ShellResult

struct ShellProgress {
    qint64 bytesDone = 0;
    qint64 bytesTotal = 0;
    QString currentPath;
};

struct ShellFileOperationRequest {
    QObject* owner = nullptr;  // the window that owns the questions and progress; may be null
    ShellFunction function = ShellFunction::Copy;
    // Every source path followed by one NUL character.
    QString source;
    // Copy and move: the new full name of a single source, or an existing folder to put the
    // sources into. Rename: the new full name, in the source's own folder. Delete: empty.
    QString target;
    quint16 flags = 0;
    // Called as bytes are written; returning false cancels the work not yet completed.
    std::function<bool(const ShellProgress&)> progress;

    static QString joinSources(const QStringList& paths);
    QStringList sources() const;
};

struct ShellFileOperationResult {
    int code = ShellResult::Ok;
    // True when the user declined a question or cancelled, so part of the work was not done.
    bool anyOperationsAborted = false;
};

// Copies, moves, renames and deletes files and folders as the desktop's shell does: it asks
// through the prompts before deleting or replacing, shows its own error messages and keeps every
// file whole: a source is never removed before its copy is complete and checked, and a target is
// never left half-written. Called on the UI thread; blocks until done.
class ShellFileOperation {
public:
    virtual ~ShellFileOperation() = default;
    virtual ShellFileOperationResult run(const ShellFileOperationRequest& request) = 0;
};

}  // namespace lorvane
