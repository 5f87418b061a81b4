#include "explorer/ScanPlan.h"

#include <QDir>
#include <QDirIterator>
#include <QStringList>

#include "explorer/ExtensionLists.h"
#include "explorer/NaturalNameOrder.h"

namespace lorvane {

QString FolderWithSeparator(const QString& path) {
    return path.endsWith(QLatin1Char('/')) ? path : path + QLatin1Char('/');
}

QList<ExplorerEntry> PlanScan(const QString& extList, const QString& path) {
    const QString folder = FolderWithSeparator(path);
    QStringList folders;
    QStringList files;
    // One pass over the directory: the entry type comes from the directory entry itself, so only
    // links cost a stat call.
    QDirIterator entries(folder, QDir::Dirs | QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    while (entries.hasNext()) {
        entries.next();
        const QFileInfo info = entries.fileInfo();
        if (info.isDir()) {
            folders.push_back(info.fileName());
        } else if (HasListedExtension(extList, info.fileName())) {
            files.push_back(info.fileName());
        }
    }
    const NaturalNameOrder order;
    folders = order.sorted(std::move(folders));
    files = order.sorted(std::move(files));

    QList<ExplorerEntry> plan;
    plan.reserve(folders.size() + files.size());
    for (const QString& name : std::as_const(folders)) {
        plan.push_back(ExplorerEntry{folder + name, true});
    }
    for (const QString& name : std::as_const(files)) {
        plan.push_back(ExplorerEntry{folder + name, false});
    }
    return plan;
}

}  // namespace lorvane
