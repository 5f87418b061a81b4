#include "components/ImgX.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>

namespace lorvane {

ImgX::ImgX(QWidget* parent) : QWidget(parent), m_document(new ImageDocument(this)) {
    setFocusPolicy(Qt::StrongFocus);
    connect(m_document, &ImageDocument::changed, this, [this] {
        update();
        Q_EMIT ImageChanged();
    });
}

ImgX::~ImgX() = default;

void ImgX::setZoom(double zoom) {
    m_zoom = zoom;
    update();
    Q_EMIT ImageChanged();
}

void ImgX::setAntiAliasDisplay(bool on) {
    m_antiAlias = on;
    update();
}

void ImgX::setMouseTool(int mode) {
    m_mouseTool = mode;
}

void ImgX::setScrollX(int x) {
    m_scrollX = x;
    update();
}

void ImgX::setScrollY(int y) {
    m_scrollY = y;
    update();
}

void ImgX::setDropEnabled(bool on) {
    setAcceptDrops(on);
}

void ImgX::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    const QImage& image = m_document->activeImage();
    if (image.isNull()) {
        return;
    }
    QSizeF size = QSizeF(image.size()) * m_zoom;
    QRectF target(QPointF((width() - size.width()) / 2, (height() - size.height()) / 2), size);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, m_antiAlias);
    painter.drawImage(target, image);
}

void ImgX::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Q_EMIT ImageChanged();
}

void ImgX::keyPressEvent(QKeyEvent* event) {
    Q_EMIT KeyDown(event->key(), event->modifiers());
}

void ImgX::mousePressEvent(QMouseEvent* event) {
    Q_EMIT MouseDown(event->button(), event->modifiers(), event->position().toPoint().x(),
                     event->position().toPoint().y());
}

void ImgX::mouseMoveEvent(QMouseEvent* event) {
    QWidget::mouseMoveEvent(event);
}

void ImgX::mouseDoubleClickEvent(QMouseEvent*) {
    Q_EMIT DblClick();
}

void ImgX::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) {
        event->acceptProposedAction();
    }
}

void ImgX::dropEvent(QDropEvent* event) {
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile()) {
            paths.append(url.toLocalFile());
        }
    }
    Q_EMIT OLEDragDrop(!paths.isEmpty(), paths);
    event->acceptProposedAction();
}

}  // namespace lorvane
