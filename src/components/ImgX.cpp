#include "components/ImgX.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <QWheelEvent>

#include <cmath>

namespace lorvane {

namespace {

const QColor kBackground(0x1f, 0x1f, 0x21);

QStringList localFiles(const QMimeData* mime) {
    QStringList paths;
    if (mime == nullptr || !mime->hasUrls()) {
        return paths;
    }
    for (const QUrl& url : mime->urls()) {
        if (url.isLocalFile()) {
            paths.append(url.toLocalFile());
        }
    }
    return paths;
}

// Scroll position along one axis: none while the image fits, else within [0, zoomed - area].
int clampedScroll(int scroll, int zoomed, int area) {
    return zoomed <= area ? 0 : std::clamp(scroll, 0, zoomed - area);
}

}  // namespace

ImgX::ImgX(QWidget* parent)
    : QWidget(parent), m_document(new ImageDocument(this)), m_background(kBackground) {
    setFocusPolicy(Qt::StrongFocus);
    // Every paint fills the whole update region itself.
    setAttribute(Qt::WA_OpaquePaintEvent);
    connect(m_document, &ImageDocument::changed, this, &ImgX::documentChanged);
    updateCursor();
}

ImgX::~ImgX() = default;

void ImgX::setZoom(double zoom) {
    if (!(zoom > 0.0) || !std::isfinite(zoom)) {
        return;
    }
    const QPointF centre = viewCentre(size());
    m_zoom = zoom;
    centreOn(centre);
    update();
    Q_EMIT ImageChanged();
}

void ImgX::setAntiAliasDisplay(bool on) {
    if (m_antiAlias == on) {
        return;
    }
    m_antiAlias = on;
    update();
}

void ImgX::setMouseTool(int mode) {
    m_mouseTool = mode;
    if (m_mouseTool != MouseHand) {
        m_panning = false;
    }
    updateCursor();
}

void ImgX::setScrollX(int x) {
    const int clamped = clampedScroll(x, zoomedSize().width(), width());
    if (clamped != m_scrollX) {
        m_scrollX = clamped;
        update();
    }
}

void ImgX::setScrollY(int y) {
    const int clamped = clampedScroll(y, zoomedSize().height(), height());
    if (clamped != m_scrollY) {
        m_scrollY = clamped;
        update();
    }
}

int ImgX::maxScrollX() const {
    return std::max(0, zoomedSize().width() - width());
}

int ImgX::maxScrollY() const {
    return std::max(0, zoomedSize().height() - height());
}

void ImgX::setBackgroundColour(const QColor& colour) {
    if (colour == m_background)
        return;
    m_background = colour;
    update();
}

void ImgX::setDropEnabled(bool on) {
    m_dropEnabled = on;
    setAcceptDrops(on);
}

QSize ImgX::zoomedSize() const {
    const QImage& image = m_document->activeImage();
    if (image.isNull()) {
        return {};
    }
    // Even the smallest zoom leaves a visible pixel.
    return QSize(std::max(1, int(std::lround(image.width() * m_zoom))),
                 std::max(1, int(std::lround(image.height() * m_zoom))));
}

QRect ImgX::imageRect() const {
    const QSize zoomed = zoomedSize();
    if (zoomed.isEmpty()) {
        return {};
    }
    const int x = zoomed.width() <= width() ? (width() - zoomed.width()) / 2 : -m_scrollX;
    const int y = zoomed.height() <= height() ? (height() - zoomed.height()) / 2 : -m_scrollY;
    return QRect(QPoint(x, y), zoomed);
}

QPointF ImgX::viewCentre(QSize area) const {
    const QSize zoomed = zoomedSize();
    auto along = [](int scroll, int length, int extent) {
        return length <= extent ? 0.5 : (scroll + extent / 2.0) / length;
    };
    return {along(m_scrollX, zoomed.width(), area.width()),
            along(m_scrollY, zoomed.height(), area.height())};
}

void ImgX::centreOn(QPointF fraction) {
    const QSize zoomed = zoomedSize();
    m_scrollX = clampedScroll(int(std::lround(fraction.x() * zoomed.width() - width() / 2.0)),
                              zoomed.width(), width());
    m_scrollY = clampedScroll(int(std::lround(fraction.y() * zoomed.height() - height() / 2.0)),
                              zoomed.height(), height());
}

void ImgX::documentChanged() {
    const QImage& image = m_document->activeImage();
    if (image.isNull()) {
        m_display = QImage();
    } else if (image.hasAlphaChannel()) {
        m_display = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    } else {
        m_display = image.convertToFormat(QImage::Format_RGB32);
    }
    m_reduced = QPixmap();
    m_reducedKey = 0;
    m_panning = false;
    updateCursor();
    centreOn(QPointF(0.5, 0.5));
    update();
    Q_EMIT ImageChanged();
}

void ImgX::updateCursor() {
    if (m_mouseTool == MouseHand) {
        setCursor(m_panning ? Qt::ClosedHandCursor : Qt::OpenHandCursor);
    } else {
        setCursor(Qt::ArrowCursor);
    }
}

const QPixmap& ImgX::reducedCopy(QSize size) {
    const bool sameImage = !m_reduced.isNull() && m_reducedKey == m_display.cacheKey();
    if (sameImage && m_reducedSize == size &&
        (m_reducedSmooth == m_antiAlias || m_sharpenPending)) {
        return m_reduced;
    }
    // The screen-sized copy made by the decode cache is a far cheaper source than the full image
    // whenever it is large enough.
    const QImage& preview = m_document->displayPreview();
    const bool previewServes =
        !preview.isNull() && size.width() <= preview.width() && size.height() <= preview.height();
    const QImage& source = previewServes ? preview : m_display;
    Qt::TransformationMode mode = m_antiAlias ? Qt::SmoothTransformation : Qt::FastTransformation;
    // A new large image without a ready copy: a quick copy is shown at once and sharpened right
    // after, so the picture does not wait for the smooth scale.
    const bool large =
        qint64(source.width()) * source.height() > 4 * qint64(size.width()) * size.height();
    m_sharpenPending = false;
    if (m_antiAlias && !sameImage && large) {
        mode = Qt::FastTransformation;
        m_sharpenPending = true;
        QTimer::singleShot(0, this, [this] {
            m_sharpenPending = false;
            update();
        });
    }
    m_reduced = QPixmap::fromImage(
        source.size() == size ? source : source.scaled(size, Qt::IgnoreAspectRatio, mode));
    m_reducedKey = m_display.cacheKey();
    m_reducedSize = size;
    m_reducedSmooth = mode == Qt::SmoothTransformation;
    return m_reduced;
}

void ImgX::paintCheckerboard(QPainter& painter, const QRect& area) const {
    // Behind transparent pixels, so that they read as transparent and not as the background.
    static const QPixmap tile = [] {
        QPixmap pixmap(16, 16);
        pixmap.fill(QColor(0x3a, 0x3a, 0x3d));
        QPainter tilePainter(&pixmap);
        tilePainter.fillRect(0, 0, 8, 8, QColor(0x4a, 0x4a, 0x4e));
        tilePainter.fillRect(8, 8, 8, 8, QColor(0x4a, 0x4a, 0x4e));
        return pixmap;
    }();
    QBrush brush(tile);
    brush.setTransform(QTransform::fromTranslate(imageRect().left(), imageRect().top()));
    painter.fillRect(area, brush);
}

void ImgX::paintEvent(QPaintEvent* event) {
    paintImage(event->rect());
    if (!m_display.isNull() && !m_sharpenPending) {
        Q_EMIT Painted();
    }
}

void ImgX::paintImage(const QRect& area) {
    QPainter painter(this);
    painter.fillRect(area, m_background);
    if (m_display.isNull()) {
        return;
    }
    const QRect target = imageRect();
    const QRect visible = target.intersected(area);
    if (visible.isEmpty()) {
        return;
    }
    if (m_display.hasAlphaChannel()) {
        paintCheckerboard(painter, visible);
    }
    const QRect visibleInImage = visible.translated(-target.topLeft());

    if (target.size() == m_display.size()) {
        painter.drawImage(visible.topLeft(), m_display, visibleInImage);
        return;
    }
    if (target.width() <= m_display.width() && target.height() <= m_display.height()) {
        painter.drawPixmap(visible.topLeft(), reducedCopy(target.size()), visibleInImage);
        return;
    }

    // Enlarged: scale only the source pixels under the visible area, widened to whole pixels
    // (and one more for the smoothing filter) so that the grid does not shift while scrolling.
    const double sx = double(target.width()) / m_display.width();
    const double sy = double(target.height()) / m_display.height();
    const int margin = m_antiAlias ? 1 : 0;
    const int x0 = std::max(0, int(std::floor(visibleInImage.left() / sx)) - margin);
    const int y0 = std::max(0, int(std::floor(visibleInImage.top() / sy)) - margin);
    const int x1 =
        std::min(m_display.width(), int(std::ceil((visibleInImage.right() + 1) / sx)) + margin);
    const int y1 =
        std::min(m_display.height(), int(std::ceil((visibleInImage.bottom() + 1) / sy)) + margin);
    const QRect source(x0, y0, x1 - x0, y1 - y0);
    const QRectF dest(target.left() + x0 * sx, target.top() + y0 * sy, source.width() * sx,
                      source.height() * sy);
    painter.setClipRect(visible);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, m_antiAlias);
    painter.drawImage(dest, m_display, source);
}

void ImgX::resizeEvent(QResizeEvent* event) {
    // Keep the point that was in the middle in the middle.
    const QPointF centre =
        event->oldSize().isValid() ? viewCentre(event->oldSize()) : QPointF(0.5, 0.5);
    QWidget::resizeEvent(event);
    centreOn(centre);
    Q_EMIT ImageChanged();
}

void ImgX::keyPressEvent(QKeyEvent* event) {
    // Reported, never acted on: the host decides what every key does, arrows included.
    Q_EMIT KeyDown(event->key(), event->modifiers());
    event->accept();
}

bool ImgX::focusNextPrevChild(bool) {
    // Tab and Backtab are keys like any other for the host.
    return false;
}

void ImgX::mousePressEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    Q_EMIT MouseDown(event->button(), event->modifiers(), at.x(), at.y());
    if (m_mouseTool == MouseHand && event->button() == Qt::LeftButton) {
        m_panning = true;
        m_panLast = at;
        updateCursor();
    }
    event->accept();
}

void ImgX::mouseMoveEvent(QMouseEvent* event) {
    if (!m_panning) {
        QWidget::mouseMoveEvent(event);
        return;
    }
    const QPoint at = event->position().toPoint();
    const QPoint delta = at - m_panLast;
    m_panLast = at;
    setScrollX(m_scrollX - delta.x());
    setScrollY(m_scrollY - delta.y());
    event->accept();
}

void ImgX::mouseReleaseEvent(QMouseEvent* event) {
    if (m_panning && event->button() == Qt::LeftButton) {
        m_panning = false;
        updateCursor();
    }
    event->accept();
}

void ImgX::mouseDoubleClickEvent(QMouseEvent* event) {
    Q_EMIT DblClick();
    event->accept();
}

void ImgX::wheelEvent(QWheelEvent* event) {
    Q_EMIT MouseWheel(event->angleDelta(), event->modifiers());
    event->accept();
}

void ImgX::dragEnterEvent(QDragEnterEvent* event) {
    if (m_dropEnabled && !localFiles(event->mimeData()).isEmpty()) {
        event->acceptProposedAction();
    } else {
        event->ignore();
    }
}

void ImgX::dragMoveEvent(QDragMoveEvent* event) {
    if (m_dropEnabled && !localFiles(event->mimeData()).isEmpty()) {
        event->acceptProposedAction();
    } else {
        event->ignore();
    }
}

void ImgX::dropEvent(QDropEvent* event) {
    if (!m_dropEnabled) {
        event->ignore();
        return;
    }
    const QStringList paths = localFiles(event->mimeData());
    event->acceptProposedAction();
    Q_EMIT OLEDragDrop(!paths.isEmpty(), paths);
}

}  // namespace lorvane
