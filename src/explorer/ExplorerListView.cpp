#include "explorer/ExplorerListView.h"

#include <QKeyEvent>
#include <QMouseEvent>

#include <algorithm>

#include "explorer/SelectionRules.h"

namespace lorvane {

ExplorerListView::ExplorerListView(QWidget* parent) : QListView(parent) {
    setObjectName(QStringLiteral("lv"));
    setViewMode(QListView::IconMode);
    setMovement(QListView::Static);
    setFlow(QListView::LeftToRight);
    setWrapping(true);
    setResizeMode(QListView::Adjust);
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setDragDropMode(QAbstractItemView::NoDragDrop);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setFrameShape(QFrame::StyledPanel);
    setFrameShadow(QFrame::Sunken);
    setMouseTracking(true);
    setAttribute(Qt::WA_Hover);
}

void ExplorerListView::setCellSize(QSize size) {
    m_cellSize = size;
    updateGrid();
}

void ExplorerListView::updateGrid() {
    if (m_cellSize.isEmpty()) {
        return;
    }
    const int available = viewport()->width();
    const int columns = std::max(1, available / m_cellSize.width());
    const QSize grid(std::max(m_cellSize.width(), available / columns), m_cellSize.height());
    if (grid != gridSize()) {
        setGridSize(grid);
    }
}

void ExplorerListView::resizeEvent(QResizeEvent* event) {
    QListView::resizeEvent(event);
    updateGrid();
}

void ExplorerListView::keyPressEvent(QKeyEvent* event) {
    if (KeyPressActionFor(event->key()) == KeyPressAction::Delete) {
        event->accept();
        if (!event->isAutoRepeat()) {
            Q_EMIT deletePressed(event->modifiers());
        }
        return;
    }
    QListView::keyPressEvent(event);
}

void ExplorerListView::keyReleaseEvent(QKeyEvent* event) {
    event->accept();
    // A held key repeats as press-release pairs here; the user released it only once.
    if (event->isAutoRepeat()) {
        return;
    }
    Q_EMIT keyReleased(event->key(), event->modifiers());
}

void ExplorerListView::mouseReleaseEvent(QMouseEvent* event) {
    QListView::mouseReleaseEvent(event);
    Q_EMIT mouseReleased(event->button(), event->position().toPoint());
}

void ExplorerListView::focusInEvent(QFocusEvent* event) {
    QListView::focusInEvent(event);
    viewport()->update();
}

void ExplorerListView::focusOutEvent(QFocusEvent* event) {
    QListView::focusOutEvent(event);
    viewport()->update();
}

}  // namespace lorvane
