#pragma once

#include <QString>
#include <QStringList>

#include "fileops/FileOperationRunner.h"

namespace lorvane {

// What the explorer's items become after one of its file operations.
struct ExplorerFileOperationResult {
    QStringList removed;  // every selected item whose file is gone leaves the list
    bool renamed = false;
    QString renamedFrom;
    QString renamedTo;  // the item's new stored path
    QString newText;    // the item's new displayed name
};

// The explorer's twin of the file operations: its selected items are the sources, the focused
// item names a single copy's target and is what a rename renames.
class ExplorerFileOperation {
public:
    static ExplorerFileOperationResult Run(FileOperationRunner& runner, int opType,
                                           const QStringList& selectedPaths,
                                           const QString& focused);

    static ExplorerFileOperationResult apply(int opType, const FileOperationOutcome& outcome,
                                             const QString& focused);
};

}  // namespace lorvane
