#pragma once

#include <QString>
#include <QTreeView>

class QFileSystemWatcher;
class QStandardItem;
class QStandardItemModel;

namespace lorvane {

// The browser's folder tree: the Desktop as its root node, below it the home folder and the
// whole file system, folders only. A level is read afresh each time it is opened, and the open
// levels are watched, so folders made, renamed or removed meanwhile come and go in the tree.
//
// Its path is the selected folder's path followed by "/" (the Desktop root has none and reads
// as ""). Writing a path opens the levels down to it and selects it without raising anything;
// a folder that does not exist leaves its deepest existing parent selected.
//
// Notifications, from what the user does only:
// - TreeClick: a mouse click on a node (after the click has selected it);
// - NodeClick: a node was activated (Enter, or a double click);
// - FolderSelected: the keyboard moved the selection to a folder node;
// - RootSelected: the user clicked the Desktop root, or moved to it by keyboard.
// UI thread only.
class FolderTree : public QTreeView {
    Q_OBJECT

public:
    explicit FolderTree(QWidget* parent = nullptr);

    QString path() const;
    void setPath(const QString& folder);

    // The Desktop root, and below it the home folder and the file system's root.
    QModelIndex homeIndex() const;
    QModelIndex fileSystemIndex() const;
    QModelIndex desktopIndex() const;
    // The node of a folder, opening the levels above it; invalid when the folder is not there.
    QModelIndex indexOf(const QString& folder);

Q_SIGNALS:
    void TreeClick();
    void NodeClick(const QModelIndex& node);
    void FolderSelected(const QModelIndex& node);
    void RootSelected();

protected:
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QStandardItem* makeFolderItem(const QString& name, const QString& folderPath) const;
    // Lists a folder's sub-folders again, keeping the nodes (and what is open below them) of
    // those still there.
    void populate(QStandardItem* item);
    // Re-reads an open node and the open nodes shown below it.
    void refreshOpen(QStandardItem* item);
    void folderChanged(const QString& folder);
    // Watches exactly the folders of the open nodes that are shown.
    void watchOpenFolders();
    void collectOpen(QStandardItem* item, QStringList& folders) const;
    QModelIndex walkTo(QStandardItem* from, const QString& fromPath, const QString& folder);

    QStandardItemModel* m_model = nullptr;
    QStandardItem* m_root = nullptr;
    QStandardItem* m_home = nullptr;
    QStandardItem* m_fileSystem = nullptr;
    QFileSystemWatcher* m_watcher = nullptr;
    // True while a key moves the current node: only the user's own moves are notified (not the
    // view choosing a first current node when it gets the focus, nor a written path).
    enum class Mover { Program, Keyboard };
    Mover m_mover = Mover::Program;
};

}  // namespace lorvane
