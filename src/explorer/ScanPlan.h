#pragma once

#include <QList>
#include <QString>

namespace lorvane {

// One item the explorer will show: a subfolder or an image file of the folder it explores.
struct ExplorerEntry {
    QString path;  // folder + "/" + name
    bool isFolder = false;
    bool operator==(const ExplorerEntry&) const = default;
};

// The explorer's items for one folder, in the order they are shown: every subfolder first, then
// every image file (HasListedExtension against extList), each group in NaturalNameOrder, so the
// files come in the order of GetImageList(extList, path, "*.*"). A subfolder whose name looks like
// an image (x.jpg) is listed once, as a folder.
//
// path: with or without a trailing "/"; an empty path is the root folder "/". A folder that is
// missing or cannot be read gives no entries. Folders and files are taken as the listing does:
// hidden ones too, links by what they lead to, broken links and special files not at all.
//
// The folder is read once; the scan then fills the items one by one and drops the entries whose
// file has gone in the meantime (see ImageExplore::ExplorePath).
QList<ExplorerEntry> PlanScan(const QString& extList, const QString& path);

// The folder with exactly one trailing "/" ("" gives "/").
QString FolderWithSeparator(const QString& path);

}  // namespace lorvane
