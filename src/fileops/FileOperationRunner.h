#pragma once

#include <QString>
#include <QStringList>

#include <functional>

#include "platform/Prompts.h"
#include "platform/ShellFileOperation.h"

class QObject;

namespace lorvane {

class DestinationPicker;

// Operation codes shared by the viewer, the explorer and the destination picker.
enum FileOperationCode : int {
    kCopyTo = 1,
    kDeleteToTrash = 2,
    kDeletePermanently = 3,
    kMoveTo = 4,
    kRename = 5,
};

// What one operation did: the decision of what to update rests on which sources are gone from
// disk afterwards, never on the shell's result alone (a declined question leaves the file).
struct FileOperationOutcome {
    bool sent = false;  // the request reached the shell (not cancelled at the picker or prompt)
    ShellFileOperationResult shell;
    QString target;    // as built: a full name, or the destination folder of several items
    QStringList gone;  // the sources whose files no longer exist, in source order
    bool focusedGone = false;
};

// The engine both windows share: asks for the destination or the new name, sends the request
// to the shell and checks what is left on disk. It changes no list; the windows' twins do that
// from the outcome.
class FileOperationRunner {
public:
    FileOperationRunner(ShellFileOperation& shell, Prompts& prompts, DestinationPicker& picker);

    // Progress of long copies and moves; returning false cancels. `finished` is called when
    // each request has ended.
    void setProgress(std::function<bool(const ShellProgress&)> progress,
                     std::function<void()> finished = {}) {
        m_progress = std::move(progress);
        m_finished = std::move(finished);
    }

    // `sources` the selected paths, `focused` the path a rename renames and whose name a single
    // copy or move keeps. Several sources are copied or moved into the chosen folder, each under
    // its own name.
    FileOperationOutcome RunFileOperation(int opType, const QStringList& sources,
                                          const QString& focused, QObject* owner);

    // The parent folder of `source` joined with `newName` by one separator.
    static QString renameTarget(const QString& source, const QString& newName);
    // `folder` joined with the file name of `source` by exactly one separator.
    static QString joinTarget(const QString& folder, const QString& source);

private:
    ShellFileOperation& m_shell;
    Prompts& m_prompts;
    DestinationPicker& m_picker;
    std::function<bool(const ShellProgress&)> m_progress;
    std::function<void()> m_finished;
};

}  // namespace lorvane
