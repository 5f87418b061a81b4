#include "fileops/FileOperationRunner.h"

#include <QFileInfo>

#include "fileops/DestinationPicker.h"

namespace lorvane {

namespace {

bool onDisk(const QString& path) {
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

QString parentFolder(const QString& path) {
    const int slash = path.lastIndexOf(QLatin1Char('/'));
    return slash <= 0 ? QStringLiteral("/") : path.left(slash);
}

}  // namespace

FileOperationRunner::FileOperationRunner(ShellFileOperation& shell, Prompts& prompts,
                                         DestinationPicker& picker)
    : m_shell(shell), m_prompts(prompts), m_picker(picker) {}

QString FileOperationRunner::joinTarget(const QString& folder, const QString& source) {
    const QString name = QFileInfo(source).fileName();
    return folder.endsWith(QLatin1Char('/')) ? folder + name : folder + QLatin1Char('/') + name;
}

QString FileOperationRunner::renameTarget(const QString& source, const QString& newName) {
    // A root parent would otherwise give "//name", which no list compares equal to.
    const QString parent = parentFolder(source);
    return parent.endsWith(QLatin1Char('/')) ? parent + newName
                                             : parent + QLatin1Char('/') + newName;
}

FileOperationOutcome FileOperationRunner::RunFileOperation(int opType, const QStringList& sources,
                                                           const QString& focused, QObject* owner) {
    FileOperationOutcome outcome;
    if (sources.isEmpty() || focused.isEmpty())
        return outcome;

    ShellFileOperationRequest request;
    request.owner = owner;
    request.progress = m_progress;
    request.source = ShellFileOperationRequest::joinSources(sources);
    switch (opType) {
        case kCopyTo:
        case kMoveTo: {
            request.function = opType == kCopyTo ? ShellFunction::Copy : ShellFunction::Move;
            const QString folder = m_picker.ShowFileForm(opType, focused);
            if (folder.isEmpty())
                return outcome;
            outcome.target = sources.size() > 1 ? folder : joinTarget(folder, focused);
            break;
        }
        case kDeleteToTrash:
        case kDeletePermanently:
            request.function = ShellFunction::Delete;
            request.flags = opType == kDeleteToTrash ? ShellFlags::AllowUndo : 0;
            break;
        case kRename: {
            request.function = ShellFunction::Rename;
            request.source = ShellFileOperationRequest::joinSources({focused});
            const QString answer =
                m_prompts.inputBox(QStringLiteral("File Name:"), QStringLiteral("Rename File"),
                                   QFileInfo(focused).fileName());
            outcome.target = renameTarget(focused, answer);
            // Cancel, an empty name, "." or ".." all name a folder that exists.
            if (QFileInfo(outcome.target).isDir() || outcome.target == focused)
                return outcome;
            break;
        }
        default:
            return outcome;
    }
    request.target = outcome.target;

    outcome.sent = true;
    outcome.shell = m_shell.run(request);
    if (m_finished)
        m_finished();
    const QStringList asked = request.sources();
    for (const QString& source : asked) {
        if (!onDisk(source))
            outcome.gone.append(source);
    }
    outcome.focusedGone = !onDisk(focused);
    return outcome;
}

}  // namespace lorvane
