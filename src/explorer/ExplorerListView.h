#pragma once

#include <QListView>

namespace lorvane {

// The explorer's item list: an icon grid over ExplorerItemModel, laid out left to right in rows
// of equal cells, so a folder of tens of thousands of items lays out as cheaply as the visible
// ones. It moves its selection by Qt's own rules and passes on what the explorer reacts to:
// Delete presses, key releases (after auto-repeat ends) and mouse releases (after the list has
// applied the click to its selection).
class ExplorerListView : public QListView {
    Q_OBJECT

public:
    explicit ExplorerListView(QWidget* parent = nullptr);

    // The list draws its selection only while it has the keyboard focus.
    bool showsSelection() const { return hasFocus(); }

    // The smallest cell; cells are widened so that the columns fill the width. Every width that
    // holds n cells beside the room kept for the scroll bar shows n columns, whether the bar is
    // shown or not.
    void setCellSize(QSize size);
    // The width the rows are laid out in.
    int layoutWidth() const;

Q_SIGNALS:
    void deletePressed(Qt::KeyboardModifiers modifiers);
    void keyReleased(int key, Qt::KeyboardModifiers modifiers);
    void mouseReleased(Qt::MouseButton button, QPoint position);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void updateGrid();

    QSize m_cellSize;
    Qt::MouseButtons m_buttonsDown = Qt::NoButton;
    bool m_gridPending = false;
};

}  // namespace lorvane
