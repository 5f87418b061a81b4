#pragma once

#include <QString>
#include <QStringList>

#include "fileops/FileOperationRunner.h"

namespace lorvane {

// What the viewer's list becomes after one of its file operations.
struct ViewerFileOperationResult {
    bool changed = false;  // the file shown was renamed, deleted or moved away
    QStringList ImagePaths;
    int CurrentIndex = 0;
    // RefreshImages(refreshFrom, refreshTo) to the browser; never when opened from the command
    // line.
    bool refreshBrowser = false;
    QString refreshFrom;
    QString refreshTo;
    bool renamed = false;    // the caption names ImagePaths[CurrentIndex]
    bool showImage = false;  // ViewImage(ImagePaths, CurrentIndex)
    bool emptied = false;    // nothing left to show: an empty viewer captioned "Lorvane"
};

// The viewer's twin of the file operations: the image shown is the source, and its list
// follows what happened on disk.
class ViewerFileOperation {
public:
    static ViewerFileOperationResult Run(FileOperationRunner& runner, int opType,
                                         const QStringList& ImagePaths, int CurrentIndex,
                                         bool bCommand, QObject* owner);

    static ViewerFileOperationResult apply(int opType, const FileOperationOutcome& outcome,
                                           const QStringList& ImagePaths, int CurrentIndex,
                                           bool bCommand);

    // The list one shorter: entries after `index` move down by one.
    static QStringList RemoveImageAt(const QStringList& ImagePaths, int index);
};

}  // namespace lorvane
