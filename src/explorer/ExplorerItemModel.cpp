#include "explorer/ExplorerItemModel.h"

namespace lorvane {

ExplorerItemModel::ExplorerItemModel(QObject* parent) : QAbstractListModel(parent) {}

void ExplorerItemModel::setPictures(Pictures pictures) {
    m_pictures = std::move(pictures);
    if (!m_items.isEmpty()) {
        Q_EMIT dataChanged(index(0), index(int(m_items.size()) - 1), {Qt::DecorationRole});
    }
}

int ExplorerItemModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_items.size());
}

QVariant ExplorerItemModel::data(const QModelIndex& index, int role) const {
    if (index.model() != this || !isValidRow(index.row())) {
        return {};
    }
    const Item& item = m_items.at(index.row());
    switch (role) {
        case Qt::DisplayRole:
            return item.name;
        case Qt::ToolTipRole:
            return item.kind == ItemKind::Broken ? item.reason : QVariant();
        case Qt::DecorationRole:
        case PictureRole:
            return pictureAt(index.row());
        case PathRole:
            return item.path;
        case KindRole:
            return int(item.kind);
        default:
            return {};
    }
}

Qt::ItemFlags ExplorerItemModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) {
        return Qt::NoItemFlags;
    }
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

void ExplorerItemModel::clear() {
    beginResetModel();
    m_items.clear();
    m_items.squeeze();
    endResetModel();
}

void ExplorerItemModel::resetToPlaceholders(int count) {
    beginResetModel();
    m_items.clear();
    m_items.resize(std::max(0, count));
    endResetModel();
}

void ExplorerItemModel::fill(int row, Item item) {
    if (!isValidRow(row)) {
        return;
    }
    m_items[row] = std::move(item);
    const QModelIndex changed = index(row);
    Q_EMIT dataChanged(changed, changed);
}

void ExplorerItemModel::fillFolder(int row, const QString& path) {
    fill(row, Item{path, NameOf(path), {}, {}, ItemKind::Folder});
}

void ExplorerItemModel::fillThumbnail(int row, const QString& path, QImage picture) {
    fill(row, Item{path, NameOf(path), std::move(picture), {}, ItemKind::Thumbnail});
}

void ExplorerItemModel::fillBroken(int row, const QString& path, const QString& reason) {
    fill(row, Item{path, NameOf(path), {}, reason, ItemKind::Broken});
}

void ExplorerItemModel::removeItem(int row) {
    if (!isValidRow(row)) {
        return;
    }
    beginRemoveRows({}, row, row);
    m_items.removeAt(row);
    endRemoveRows();
}

void ExplorerItemModel::renameItem(int row, const QString& newPath) {
    if (!isValidRow(row)) {
        return;
    }
    Item& item = m_items[row];
    item.path = newPath;
    item.name = NameOf(newPath);
    const QModelIndex changed = index(row);
    Q_EMIT dataChanged(changed, changed, {Qt::DisplayRole, PathRole});
}

int ExplorerItemModel::findPath(const QString& path, Qt::CaseSensitivity cs) const {
    if (path.isEmpty()) {
        return -1;
    }
    for (int row = 0; row < m_items.size(); ++row) {
        if (m_items.at(row).path.compare(path, cs) == 0) {
            return row;
        }
    }
    return -1;
}

QString ExplorerItemModel::pathAt(int row) const {
    return isValidRow(row) ? m_items.at(row).path : QString();
}

QString ExplorerItemModel::nameAt(int row) const {
    return isValidRow(row) ? m_items.at(row).name : QString();
}

ExplorerItemModel::ItemKind ExplorerItemModel::kindAt(int row) const {
    return isValidRow(row) ? m_items.at(row).kind : ItemKind::Placeholder;
}

QImage ExplorerItemModel::pictureAt(int row) const {
    if (!isValidRow(row)) {
        return {};
    }
    switch (m_items.at(row).kind) {
        case ItemKind::Placeholder:
            return m_pictures.loading;
        case ItemKind::Folder:
            return m_pictures.folder;
        case ItemKind::Broken:
            return m_pictures.broken;
        case ItemKind::Thumbnail:
            return m_items.at(row).picture;
    }
    return {};
}

QString ExplorerItemModel::reasonAt(int row) const {
    return isValidRow(row) ? m_items.at(row).reason : QString();
}

QString ExplorerItemModel::NameOf(const QString& path) {
    QString trimmed = path;
    while (trimmed.size() > 1 && trimmed.endsWith(QLatin1Char('/'))) {
        trimmed.chop(1);
    }
    return trimmed.mid(trimmed.lastIndexOf(QLatin1Char('/')) + 1);
}

}  // namespace lorvane
