#include "browser/FolderTree.h"

#include <QDir>
#include <QFileIconProvider>
#include <QHeaderView>
#include <QMouseEvent>
#include <QStandardItemModel>

#include "explorer/NaturalNameOrder.h"

namespace lorvane {

namespace {

constexpr int kPathRole = Qt::UserRole + 1;
constexpr int kLoadedRole = Qt::UserRole + 2;

QString normalisedFolder(const QString& folder) {
    if (folder.isEmpty())
        return QStringLiteral("/");
    return QDir::cleanPath(folder);
}

}  // namespace

FolderTree::FolderTree(QWidget* parent) : QTreeView(parent), m_model(new QStandardItemModel(this)) {
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
    m_root->setData(true, kLoadedRole);
    m_model->appendRow(m_root);

    m_home = makeFolderItem(QStringLiteral("Home"), QDir::homePath());
    m_home->setIcon(icons.icon(QAbstractFileIconProvider::Folder));
    m_root->appendRow(m_home);
    m_fileSystem = makeFolderItem(QStringLiteral("File System"), QStringLiteral("/"));
    m_fileSystem->setIcon(icons.icon(QAbstractFileIconProvider::Drive));
    m_root->appendRow(m_fileSystem);

    connect(this, &QTreeView::expanded, this,
            [this](const QModelIndex& index) { populate(m_model->itemFromIndex(index)); });
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
    item->setData(false, kLoadedRole);
    item->setToolTip(folderPath);
    // Read on first opening; until then the node offers to open.
    item->appendRow(new QStandardItem());
    return item;
}

void FolderTree::populate(QStandardItem* item) const {
    if (!item || item->data(kLoadedRole).toBool())
        return;
    item->setData(true, kLoadedRole);
    item->removeRows(0, item->rowCount());
    const QString folder = item->data(kPathRole).toString();
    const QDir dir(folder);
    const QStringList names = NaturalNameOrder().sorted(
        dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks | QDir::Readable));
    for (const QString& name : names)
        item->appendRow(makeFolderItem(name, dir.filePath(name)));
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
