#include "browser/FolderTree.h"

#include <QDir>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QHeaderView>
#include <QMouseEvent>
#include <QStandardItemModel>

#include "explorer/NaturalNameOrder.h"

namespace lorvane {

namespace {

constexpr int kPathRole = Qt::UserRole + 1;

QString normalisedFolder(const QString& folder) {
    if (folder.isEmpty())
        return QStringLiteral("/");
    return QDir::cleanPath(folder);
}

}  // namespace

FolderTree::FolderTree(QWidget* parent)
    : QTreeView(parent),
      m_model(new QStandardItemModel(this)),
      m_watcher(new QFileSystemWatcher(this)) {
    setObjectName(QStringLiteral("TV1"));
    setModel(m_model);
    setHeaderHidden(true);
    setUniformRowHeights(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);

    const QFileIconProvider icons;
    m_root = new QStandardItem(icons.icon(QAbstractFileIconProvider::Desktop),
                               QStringLiteral("Desktop"));
    m_root->setData(QString(), kPathRole);
    m_model->appendRow(m_root);

    m_home = makeFolderItem(QStringLiteral("Home"), QDir::homePath());
    m_home->setIcon(icons.icon(QAbstractFileIconProvider::Folder));
    m_root->appendRow(m_home);
    m_fileSystem = makeFolderItem(QStringLiteral("File System"), QStringLiteral("/"));
    m_fileSystem->setIcon(icons.icon(QAbstractFileIconProvider::Drive));
    m_root->appendRow(m_fileSystem);

    connect(this, &QTreeView::expanded, this, [this](const QModelIndex& index) {
        refreshOpen(m_model->itemFromIndex(index));
        watchOpenFolders();
    });
    connect(this, &QTreeView::collapsed, this, [this] { watchOpenFolders(); });
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, &FolderTree::folderChanged);
    connect(this, &QAbstractItemView::clicked, this, [this](const QModelIndex& index) {
        Q_EMIT TreeClick();
        // Clicking the Desktop shows it again even when it was the selected node already.
        if (index == m_root->index())
            Q_EMIT RootSelected();
    });
    connect(this, &QAbstractItemView::activated, this,
            [this](const QModelIndex& index) { Q_EMIT NodeClick(index); });
    expand(m_root->index());
}

QStandardItem* FolderTree::makeFolderItem(const QString& name, const QString& folderPath) const {
    static const QIcon folderIcon = QFileIconProvider().icon(QAbstractFileIconProvider::Folder);
    auto* item = new QStandardItem(folderIcon, name);
    item->setData(folderPath, kPathRole);
    item->setToolTip(folderPath);
    // Read on opening; until then the node offers to open.
    item->appendRow(new QStandardItem());
    return item;
}

void FolderTree::populate(QStandardItem* item) {
    if (!item || item == m_root)
        return;
    const QDir dir(item->data(kPathRole).toString());
    const QStringList names = NaturalNameOrder().sorted(
        dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks | QDir::Readable));
    // Drop the placeholder and the folders that are gone; the rest keep their name order, so the
    // new ones only have to be slotted in between.
    for (int row = item->rowCount() - 1; row >= 0; --row) {
        const QStandardItem* child = item->child(row);
        if (child->data(kPathRole).toString().isEmpty() || !names.contains(child->text()))
            item->removeRow(row);
    }
    for (int row = 0; row < names.size(); ++row) {
        if (row < item->rowCount() && item->child(row)->text() == names.at(row))
            continue;
        item->insertRow(row, makeFolderItem(names.at(row), dir.filePath(names.at(row))));
    }
}

void FolderTree::refreshOpen(QStandardItem* item) {
    if (!item)
        return;
    populate(item);
    for (int row = 0; row < item->rowCount(); ++row) {
        QStandardItem* child = item->child(row);
        if (isExpanded(child->index()))
            refreshOpen(child);
    }
}

void FolderTree::collectOpen(QStandardItem* item, QStringList& folders) const {
    if (!isExpanded(item->index()))
        return;
    const QString folder = item->data(kPathRole).toString();
    if (!folder.isEmpty())
        folders.append(folder);
    for (int row = 0; row < item->rowCount(); ++row)
        collectOpen(item->child(row), folders);
}

void FolderTree::watchOpenFolders() {
    QStringList open;
    collectOpen(m_root, open);
    open.removeDuplicates();
    const QStringList watched = m_watcher->directories();
    QStringList dropped;
    for (const QString& folder : watched) {
        if (!open.contains(folder))
            dropped.append(folder);
    }
    if (!dropped.isEmpty())
        m_watcher->removePaths(dropped);
    QStringList added;
    for (const QString& folder : open) {
        if (!watched.contains(folder) && QFileInfo(folder).isDir())
            added.append(folder);
    }
    if (!added.isEmpty())
        m_watcher->addPaths(added);
}

void FolderTree::folderChanged(const QString& folder) {
    // The same folder can be open twice (below Home and below the file system's root).
    QList<QStandardItem*> nodes;
    QList<QStandardItem*> pending{m_root};
    while (!pending.isEmpty()) {
        QStandardItem* item = pending.takeLast();
        if (!isExpanded(item->index()))
            continue;
        if (item->data(kPathRole).toString() == folder)
            nodes.append(item);
        for (int row = 0; row < item->rowCount(); ++row)
            pending.append(item->child(row));
    }
    for (QStandardItem* node : nodes)
        populate(node);
    watchOpenFolders();
}

QModelIndex FolderTree::walkTo(QStandardItem* from, const QString& fromPath,
                               const QString& folder) {
    QStandardItem* node = from;
    const QString rest = folder.mid(fromPath.size());
    const QStringList parts = rest.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (const QString& part : parts) {
        populate(node);
        QStandardItem* next = nullptr;
        for (int row = 0; row < node->rowCount() && !next; ++row) {
            if (node->child(row)->text() == part)
                next = node->child(row);
        }
        if (!next)
            break;
        node = next;
    }
    return node->index();
}

QModelIndex FolderTree::indexOf(const QString& folder) {
    const QString target = normalisedFolder(folder);
    const QString home = QDir::homePath();
    if (target == home || target.startsWith(home + QLatin1Char('/')))
        return walkTo(m_home, home, target);
    return walkTo(m_fileSystem, QString(), target);
}

QString FolderTree::path() const {
    const QString folder = currentIndex().data(kPathRole).toString();
    if (folder.isEmpty() || folder.endsWith(QLatin1Char('/')))
        return folder;
    return folder + QLatin1Char('/');
}

void FolderTree::setPath(const QString& folder) {
    const QModelIndex index = indexOf(folder);
    for (QModelIndex up = index.parent(); up.isValid(); up = up.parent())
        expand(up);
    setCurrentIndex(index);
    scrollTo(index);
}

QModelIndex FolderTree::homeIndex() const {
    return m_home->index();
}

QModelIndex FolderTree::fileSystemIndex() const {
    return m_fileSystem->index();
}

QModelIndex FolderTree::desktopIndex() const {
    return m_root->index();
}

void FolderTree::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTreeView::currentChanged(current, previous);
    // A click notifies once it is complete (TreeClick), not on the way.
    if (m_mover != Mover::Keyboard || !current.isValid())
        return;
    if (current == m_root->index())
        Q_EMIT RootSelected();
    else
        Q_EMIT FolderSelected(current);
}

void FolderTree::keyPressEvent(QKeyEvent* event) {
    m_mover = Mover::Keyboard;
    QTreeView::keyPressEvent(event);
    m_mover = Mover::Program;
}

}  // namespace lorvane
