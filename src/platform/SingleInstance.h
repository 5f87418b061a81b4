#pragma once

#include <QString>

namespace lorvane {

// Keeps the program to one running copy per user. tryAcquire() is called once, before any
// window exists; the lock is held until the object is destroyed or the process ends, and a lock
// left behind by a process that died never blocks a new start.
class SingleInstance {
public:
    virtual ~SingleInstance() = default;
    // True when no other copy holds the lock (and this one now does).
    virtual bool tryAcquire() = 0;
};

// An advisory lock (flock) on a file named after the lock in $XDG_RUNTIME_DIR, or in the temp
// folder with the user's id when there is no runtime folder. The kernel drops the lock with the
// process, so a crash leaves nothing that blocks.
class FileLockSingleInstance : public SingleInstance {
public:
    explicit FileLockSingleInstance(const QString& name);
    ~FileLockSingleInstance() override;
    FileLockSingleInstance(const FileLockSingleInstance&) = delete;
    FileLockSingleInstance& operator=(const FileLockSingleInstance&) = delete;

    bool tryAcquire() override;
    QString lockPath() const { return m_path; }

    // Where the lock of this name lives; reads the environment only, so it works before
    // QCoreApplication exists.
    static QString lockPathFor(const QString& name);

private:
    QString m_path;
    int m_fd = -1;
};

}  // namespace lorvane
