#include "explorer/ExplorerListView.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOption>

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

int ExplorerListView::layoutWidth() const {
    // The list wraps its rows as though the vertical scroll bar were there whenever it may
    // appear, so that the bar coming or going does not re-flow the items; the grid is cut from
    // the same width.
    int width = maximumViewportSize().width();
    const QScrollBar* bar = verticalScrollBar();
    if (verticalScrollBarPolicy() == Qt::ScrollBarAsNeeded &&
        style()->pixelMetric(QStyle::PM_ScrollView_ScrollBarOverlap, nullptr, bar) == 0) {
        width -= style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, bar);
        if (style()->styleHint(QStyle::SH_ScrollView_FrameOnlyAroundContents, nullptr, this)) {
            QStyleOption option;
            option.initFrom(this);
            width -= 2 * style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, this);
        }
    }
    // A row wraps once its cells would reach the last pixel.
    return width - spacing() - 1;
}

void ExplorerListView::updateGrid() {
    if (m_cellSize.isEmpty()) {
        return;
    }
    // Items under a pressed button stay where the user saw them until the click is over.
    if (m_buttonsDown != Qt::NoButton) {
        m_gridPending = true;
        return;
    }
    m_gridPending = false;
    const int available = layoutWidth();
    const int cell = m_cellSize.width() + spacing();
    const int columns = std::max(1, available / cell);
    const QSize grid(std::max(m_cellSize.width(), available / columns - spacing()),
                     m_cellSize.height());
    if (grid != gridSize()) {
        setGridSize(grid);
    }
}

void ExplorerListView::resizeEvent(QResizeEvent* event) {
    QListView::resizeEvent(event);
    updateGrid();
}

void ExplorerListView::mousePressEvent(QMouseEvent* event) {
    m_buttonsDown = event->buttons();
    QListView::mousePressEvent(event);
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
    m_buttonsDown = event->buttons();
    Q_EMIT mouseReleased(event->button(), event->position().toPoint());
    if (m_gridPending && m_buttonsDown == Qt::NoButton) {
        updateGrid();
    }
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
