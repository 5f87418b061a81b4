#pragma once

#include <QImage>
#include <QStringList>
#include <QWidget>

#include "components/ImageDocument.h"

namespace lorvane {

// The imaging control's display: shows an ImageDocument's active image at a zoom, centred when
// it is smaller than the area, scrolled when larger, smoothed or not, and reports what the user
// does to it. Painting a zoomed-out large image uses a reduced copy, never a full-image scale per
// repaint.
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
    void setZoom(double zoom);  // raises ImageChanged
    bool antiAliasDisplay() const { return m_antiAlias; }
    void setAntiAliasDisplay(bool on);
    int mouseTool() const { return m_mouseTool; }
    void setMouseTool(int mode);
    // Scroll offsets, in screen pixels of the zoomed image, clamped to what can be scrolled.
    int scrollX() const { return m_scrollX; }
    int scrollY() const { return m_scrollY; }
    void setScrollX(int x);
    void setScrollY(int y);
    // Whether dropped file lists are accepted and reported through OLEDragDrop.
    void setDropEnabled(bool on);

Q_SIGNALS:
    void DblClick();
    // key is a Qt::Key; the control does not act on keys itself.
    void KeyDown(int key, Qt::KeyboardModifiers modifiers);
    // x, y in pixels relative to the control.
    void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y);
    // After the image, its zoom or the control's size changed.
    void ImageChanged();
    // hasFileList is false when the drop carried no file list; paths are local files in drop order.
    void OLEDragDrop(bool hasFileList, const QStringList& paths);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    ImageDocument* m_document;
    double m_zoom = 1.0;
    bool m_antiAlias = false;
    int m_mouseTool = MouseInitial;
    int m_scrollX = 0;
    int m_scrollY = 0;
};

}  // namespace lorvane
