#include "fileops/ViewerFileOperation.h"

namespace lorvane {

ViewerFileOperationResult ViewerFileOperation::Run(FileOperationRunner& runner, int opType,
                                                   const QStringList& ImagePaths, int CurrentIndex,
                                                   bool bCommand, QObject* owner) {
    if (CurrentIndex < 0 || CurrentIndex >= ImagePaths.size()) {
        ViewerFileOperationResult unchanged;
        unchanged.ImagePaths = ImagePaths;
        unchanged.CurrentIndex = CurrentIndex;
        return unchanged;
    }
    const QString& current = ImagePaths.at(CurrentIndex);
    const FileOperationOutcome outcome = runner.RunFileOperation(opType, {current}, current, owner);
    return apply(opType, outcome, ImagePaths, CurrentIndex, bCommand);
}

ViewerFileOperationResult ViewerFileOperation::apply(int opType,
                                                     const FileOperationOutcome& outcome,
                                                     const QStringList& ImagePaths,
                                                     int CurrentIndex, bool bCommand) {
    ViewerFileOperationResult result;
    result.ImagePaths = ImagePaths;
    result.CurrentIndex = CurrentIndex;
    if (!outcome.sent || !outcome.focusedGone || CurrentIndex < 0 ||
        CurrentIndex >= ImagePaths.size())
        return result;

    const QString old = ImagePaths.at(CurrentIndex);
    result.changed = true;
    result.refreshBrowser = !bCommand;
    result.refreshFrom = old;
    if (opType == kRename) {
        result.refreshTo = outcome.target;
        result.ImagePaths[CurrentIndex] = outcome.target;
        result.renamed = true;
        return result;
    }
    result.ImagePaths = RemoveImageAt(ImagePaths, CurrentIndex);
    if (result.ImagePaths.isEmpty()) {
        result.CurrentIndex = 0;
        result.emptied = true;
        return result;
    }
    // The neighbour after the removed image takes its place; after the last comes the first.
    if (result.CurrentIndex >= result.ImagePaths.size())
        result.CurrentIndex = 0;
    result.showImage = true;
    return result;
}

QStringList ViewerFileOperation::RemoveImageAt(const QStringList& ImagePaths, int index) {
    QStringList shorter = ImagePaths;
    if (index >= 0 && index < shorter.size())
        shorter.removeAt(index);
    return shorter;
}

}  // namespace lorvane
