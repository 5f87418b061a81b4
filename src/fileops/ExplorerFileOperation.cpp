#include "fileops/ExplorerFileOperation.h"

#include <QFileInfo>

namespace lorvane {

ExplorerFileOperationResult ExplorerFileOperation::Run(FileOperationRunner& runner, int opType,
                                                       const QStringList& selectedPaths,
                                                       const QString& focused) {
    QStringList sources = selectedPaths;
    if (sources.isEmpty() && !focused.isEmpty())
        sources.append(focused);
    // The explorer has no window of its own to own the shell's questions.
    return apply(opType, runner.RunFileOperation(opType, sources, focused, nullptr), focused);
}

ExplorerFileOperationResult ExplorerFileOperation::apply(int opType,
                                                         const FileOperationOutcome& outcome,
                                                         const QString& focused) {
    ExplorerFileOperationResult result;
    if (!outcome.sent)
        return result;
    if (opType == kRename) {
        if (!outcome.focusedGone)
            return result;
        result.renamed = true;
        result.renamedFrom = focused;
        result.renamedTo = outcome.target;
        while (result.renamedTo.contains(QLatin1String("//")))
            result.renamedTo.replace(QLatin1String("//"), QLatin1String("/"));
        result.newText = QFileInfo(result.renamedTo).fileName();
        return result;
    }
    if (opType == kCopyTo)
        return result;
    result.removed = outcome.gone;
    return result;
}

}  // namespace lorvane
