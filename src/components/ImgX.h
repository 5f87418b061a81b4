#pragma once

#include <QColor>
#include <QImage>
#include <QPixmap>
#include <QPoint>
#include <QStringList>
#include <QWidget>

#include "components/ImageDocument.h"

namespace lorvane {

// The imaging control's display: shows an ImageDocument's active image at a zoom, centred when
// it is smaller than the area, scrolled when larger, smoothed or not, and reports what the user
// does to it. Painting a zoomed-out large image uses a reduced copy, never a full-image scale per
// repaint; a zoomed-in one is drawn from the visible part of the image only.
//
// The view keeps its centre: a zoom or a resize keeps the image point at the middle of the
// control in the middle; a new or turned image starts centred.
class ImgX : public QWidget {
    Q_OBJECT

public:
    // Mouse modes: 0 none, 1 initial, 2 hand (drag pans a zoomed image), 3 the image fits.
    enum MouseToolMode { MouseNone = 0, MouseInitial = 1, MouseHand = 2, MouseFit = 3 };

    explicit ImgX(QWidget* parent = nullptr);
    ~ImgX() override;

    ImageDocument& document() { return *m_document; }
    const ImageDocument& document() const { return *m_document; }

    double zoom() const { return m_zoom; }
    void setZoom(double zoom);  // raises ImageChanged; values that are not positive are ignored
    bool antiAliasDisplay() const { return m_antiAlias; }
    void setAntiAliasDisplay(bool on);
    int mouseTool() const { return m_mouseTool; }
    void setMouseTool(int mode);
    // Scroll offsets, in screen pixels of the zoomed image, clamped to what can be scrolled
    // (0 on an axis where the image fits).
    int scrollX() const { return m_scrollX; }
    int scrollY() const { return m_scrollY; }
    void setScrollX(int x);
    void setScrollY(int y);
    int maxScrollX() const;
    int maxScrollY() const;
    // Whether dropped file lists are accepted and reported through OLEDragDrop.
    void setDropEnabled(bool on);
    bool dropEnabled() const { return m_dropEnabled; }
    // The colour around the image (and of an empty control).
    QColor backgroundColour() const { return m_background; }
    void setBackgroundColour(const QColor& colour);

    // Where the zoomed image lies in control coordinates (it may reach past the edges).
    QRect imageRect() const;
    QSize zoomedSize() const;

Q_SIGNALS:
    void DblClick();
    // key is a Qt::Key; the control does not act on keys itself.
    void KeyDown(int key, Qt::KeyboardModifiers modifiers);
    // A turn of the wheel over the control, angleDelta as QWheelEvent gives it; the control does
    // not act on it itself.
    void MouseWheel(QPoint angleDelta, Qt::KeyboardModifiers modifiers);
    // x, y in pixels relative to the control.
    void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y);
    // After the image, its zoom or the control's size changed.
    void ImageChanged();
    // After a paint that showed the image in its final form (not a quick copy still waiting
    // for its smooth one).
    void Painted();
    // hasFileList is false when the drop carried no file list; paths are local files in drop order.
    void OLEDragDrop(bool hasFileList, const QStringList& paths);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    void documentChanged();
    // The image point at the control's centre, as a fraction of the zoomed image per axis.
    QPointF viewCentre(QSize area) const;
    void centreOn(QPointF fraction);
    void updateCursor();
    const QPixmap& reducedCopy(QSize size);
    void paintCheckerboard(QPainter& painter, const QRect& area) const;
    void paintImage(const QRect& area);

    ImageDocument* m_document;
    double m_zoom = 1.0;
    bool m_antiAlias = false;
    int m_mouseTool = MouseInitial;
    int m_scrollX = 0;
    int m_scrollY = 0;
    bool m_dropEnabled = false;
    QColor m_background;

    // The active image in a format the raster engine draws without converting per paint.
    QImage m_display;
    // The image scaled down for the current zoom and smoothing, built on first paint.
    QPixmap m_reduced;
    qint64 m_reducedKey = 0;
    QSize m_reducedSize;
    bool m_reducedSmooth = false;
    bool m_sharpenPending = false;  // a quick copy is shown; the smooth one follows

    bool m_panning = false;
    QPoint m_panLast;
};

}  // namespace lorvane
