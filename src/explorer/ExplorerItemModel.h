#pragma once

#include <QAbstractListModel>
#include <QImage>
#include <QList>
#include <QString>

namespace lorvane {

// The items of the explorer's list, in list order. Each item starts as a placeholder (the loading
// picture, no text, no path) and is filled once: as a folder, as a thumbnail, or as a broken
// image that still carries its name and path, so it can be renamed or deleted, with the reason
// in its tooltip.
//
// The three shared pictures are held once, not per item, so an item costs its own thumbnail
// plus a small constant. UI thread only.
class ExplorerItemModel : public QAbstractListModel {
    Q_OBJECT

public:
    enum class ItemKind { Placeholder, Folder, Thumbnail, Broken };

    enum Role {
        PathRole = Qt::UserRole + 1,  // QString: the full path, "" for a placeholder
        KindRole,                     // int: ItemKind
        PictureRole,                  // QImage: the picture to show
    };

    struct Pictures {
        QImage folder;
        QImage loading;
        QImage broken;
    };

    explicit ExplorerItemModel(QObject* parent = nullptr);

    void setPictures(Pictures pictures);
    const Pictures& pictures() const { return m_pictures; }

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    void clear();
    void resetToPlaceholders(int count);

    void fillFolder(int row, const QString& path);
    void fillThumbnail(int row, const QString& path, QImage picture);
    void fillBroken(int row, const QString& path, const QString& reason);

    void removeItem(int row);
    // The item's path becomes newPath and its text the last part of it; its picture stays.
    void renameItem(int row, const QString& newPath);

    // The first row whose path equals path (an empty path finds nothing); -1 when none.
    int findPath(const QString& path, Qt::CaseSensitivity cs) const;

    QString pathAt(int row) const;
    QString nameAt(int row) const;
    ItemKind kindAt(int row) const;
    QImage pictureAt(int row) const;
    QString reasonAt(int row) const;

    // The last part of a path, as an item shows it.
    static QString NameOf(const QString& path);

private:
    struct Item {
        QString path;
        QString name;
        QImage picture;  // thumbnails only; the shared pictures are not copied into items
        QString reason;  // broken items only
        ItemKind kind = ItemKind::Placeholder;
    };

    bool isValidRow(int row) const { return row >= 0 && row < m_items.size(); }
    void fill(int row, Item item);

    QList<Item> m_items;
    Pictures m_pictures;
};

}  // namespace lorvane
