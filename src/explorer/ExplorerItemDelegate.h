#pragma once

#include <QAbstractItemDelegate>
#include <QSize>

namespace lorvane {

class ExplorerListView;

// Draws one explorer item in its cell: the picture fitted into a 140 x 140 box (never enlarged),
// the name below it on at most two lines, and the selection while the list has the focus. All
// cells have one size, which is what keeps the layout of a huge folder cheap.
class ExplorerItemDelegate : public QAbstractItemDelegate {
    Q_OBJECT

public:
    explicit ExplorerItemDelegate(ExplorerListView* view);

    // The cell size for the view's current font.
    QSize cellSize() const;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    ExplorerListView* m_view;
};

}  // namespace lorvane
