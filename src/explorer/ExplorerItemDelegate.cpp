#include "explorer/ExplorerItemDelegate.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTextLayout>

#include "explorer/ExplorerItemModel.h"
#include "explorer/ExplorerListView.h"
#include "explorer/ThumbnailGeometry.h"

namespace lorvane {

namespace {

constexpr int kCellWidth = 160;
constexpr int kPad = 6;      // around the picture box
constexpr int kTextGap = 5;  // between picture box and name
constexpr int kTextLines = 2;

// The name, wrapped into at most kTextLines lines of the given width, the last one elided.
QStringList wrappedName(const QString& text, const QFont& font, int width) {
    QStringList lines;
    if (text.isEmpty()) {
        return lines;
    }
    const QFontMetrics metrics(font);
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    while (lines.size() < kTextLines) {
        QTextLine line = layout.createLine();
        if (!line.isValid()) {
            break;
        }
        line.setLineWidth(width);
        if (lines.size() == kTextLines - 1) {
            lines.push_back(metrics.elidedText(text.mid(line.textStart()), Qt::ElideMiddle, width));
        } else {
            lines.push_back(text.mid(line.textStart(), line.textLength()));
        }
    }
    layout.endLayout();
    return lines;
}

}  // namespace

ExplorerItemDelegate::ExplorerItemDelegate(ExplorerListView* view)
    : QAbstractItemDelegate(view), m_view(view) {}

QSize ExplorerItemDelegate::cellSize() const {
    const QFontMetrics metrics(m_view->font());
    return QSize(kCellWidth,
                 kPad + kThumbnailSide + kTextGap + kTextLines * metrics.lineSpacing() + kPad + 2);
}

QSize ExplorerItemDelegate::sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const {
    return cellSize();
}

void ExplorerItemDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                 const QModelIndex& index) const {
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    const QRectF cell = QRectF(option.rect).adjusted(2.5, 2.5, -2.5, -2.5);
    const bool selected = option.state.testFlag(QStyle::State_Selected) && m_view->showsSelection();
    const bool hovered = option.state.testFlag(QStyle::State_MouseOver);
    const QPalette& palette = option.palette;

    if (selected) {
        QColor fill = palette.color(QPalette::Highlight);
        fill.setAlpha(200);
        painter->setPen(QPen(palette.color(QPalette::Highlight).lighter(120), 1));
        painter->setBrush(fill);
        painter->drawRoundedRect(cell, 6, 6);
    } else if (hovered) {
        QColor fill = palette.color(QPalette::Text);
        fill.setAlpha(22);
        painter->setPen(Qt::NoPen);
        painter->setBrush(fill);
        painter->drawRoundedRect(cell, 6, 6);
    }
    if (option.state.testFlag(QStyle::State_HasFocus) && m_view->showsSelection()) {
        QColor ring = palette.color(QPalette::Highlight).lighter(140);
        painter->setPen(QPen(ring, 1, Qt::DotLine));
        painter->setBrush(Qt::NoBrush);
        painter->drawRoundedRect(cell.adjusted(1, 1, -1, -1), 5, 5);
    }

    const QRect box(option.rect.left() + (option.rect.width() - kThumbnailSide) / 2,
                    option.rect.top() + kPad, kThumbnailSide, kThumbnailSide);
    const QImage picture = index.data(ExplorerItemModel::PictureRole).value<QImage>();
    const auto kind = ExplorerItemModel::ItemKind(index.data(ExplorerItemModel::KindRole).toInt());
    if (!picture.isNull()) {
        QSize shown = picture.size();
        if (shown.width() > box.width() || shown.height() > box.height()) {
            shown.scale(box.size(), Qt::KeepAspectRatio);
        }
        const QRect target(box.left() + (box.width() - shown.width()) / 2,
                           box.top() + (box.height() - shown.height()) / 2, shown.width(),
                           shown.height());
        if (kind == ExplorerItemModel::ItemKind::Thumbnail) {
            // A soft edge, so a white canvas still reads as a picture on a light list.
            painter->setPen(Qt::NoPen);
            painter->setBrush(QColor(0, 0, 0, 60));
            painter->drawRect(QRectF(target).adjusted(-1, -1, 1, 1));
        }
        painter->setRenderHint(QPainter::SmoothPixmapTransform, shown != picture.size());
        painter->drawImage(target, picture);
    }

    const QString name = index.data(Qt::DisplayRole).toString();
    if (!name.isEmpty()) {
        const QFontMetrics metrics(option.font);
        const int textWidth = option.rect.width() - 2 * kPad;
        int y = box.bottom() + 1 + kTextGap;
        painter->setPen(palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
        painter->setFont(option.font);
        for (const QString& line : wrappedName(name, option.font, textWidth)) {
            const QRect lineRect(option.rect.left() + kPad, y, textWidth, metrics.lineSpacing());
            painter->drawText(lineRect, Qt::AlignHCenter | Qt::AlignTop, line);
            y += metrics.lineSpacing();
        }
    }
    painter->restore();
}

}  // namespace lorvane
