#pragma once

#include <QString>

namespace lorvane {

// The freedesktop.org trash: a file goes to the home trash when it lives on the same file system
// as the user's data folder, else to its volume's "$topdir/.Trash/$uid" (only when ".Trash" is a
// real sticky folder) or "$topdir/.Trash-$uid". The ".trashinfo" file is created exclusively before
// the file is moved, so the desktop's own trash lists it and can put it back. Trash folders are
// created only where the freedesktop.org trash rules allow, never "files/" or "info/" anywhere
// else.
class XdgTrash {
public:
    enum class Status { Trashed, NoTrash, Failed };
    struct Outcome {
        Status status = Status::Failed;
        int error = 0;        // errno of the failure
        QString trashedPath;  // where the file now is
        QString infoPath;     // its .trashinfo
    };

    // An empty data home means $XDG_DATA_HOME, or ~/.local/share when that is unset or relative.
    explicit XdgTrash(QString dataHome = {});

    QString homeTrash() const;
    Outcome moveToTrash(const QString& path) const;

    // The Path= value as written: bytes of the file system, escaped as in URLs, "/" kept.
    static QByteArray encodePath(const QString& path);

private:
    QString m_dataHome;
};

}  // namespace lorvane
