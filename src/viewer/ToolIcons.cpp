#include "viewer/ToolIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace lorvane {

namespace {

void drawGlyph(QPainter& p, const QString& key) {
    const auto line = [&](double x1, double y1, double x2, double y2) {
        p.drawLine(QPointF(x1, y1), QPointF(x2, y2));
    };
    if (key == QLatin1String("open32")) {
        QPainterPath folder;
        folder.moveTo(4, 9);
        folder.lineTo(4, 26);
        folder.lineTo(26, 26);
        folder.lineTo(28, 13);
        folder.lineTo(9, 13);
        folder.lineTo(7, 9);
        folder.closeSubpath();
        p.drawPath(folder);
        line(4, 9, 4, 6);
        line(4, 6, 11, 6);
        line(11, 6, 13, 9);
        line(13, 9, 24, 9);
        line(24, 9, 24, 13);
    } else if (key == QLatin1String("browsed32")) {
        for (int row = 0; row < 2; ++row)
            for (int col = 0; col < 2; ++col)
                p.drawRoundedRect(QRectF(5 + col * 12, 5 + row * 12, 9, 9), 1.5, 1.5);
    } else if (key == QLatin1String("previous32")) {
        line(20, 6, 10, 16);
        line(10, 16, 20, 26);
    } else if (key == QLatin1String("next32")) {
        line(12, 6, 22, 16);
        line(22, 16, 12, 26);
    } else if (key == QLatin1String("slidshow32")) {
        QPainterPath play;
        play.moveTo(11, 7);
        play.lineTo(25, 16);
        play.lineTo(11, 25);
        play.closeSubpath();
        p.drawPath(play);
    } else if (key == QLatin1String("zoomin32") || key == QLatin1String("zoomiout32")) {
        p.drawEllipse(QPointF(14, 14), 8, 8);
        line(20, 20, 27, 27);
        line(10, 14, 18, 14);
        if (key == QLatin1String("zoomin32"))
            line(14, 10, 14, 18);
    } else if (key == QLatin1String("wallpaper32")) {
        // A screen on its stand, with a landscape on it.
        p.drawRoundedRect(QRectF(4, 6, 24, 16), 1.5, 1.5);
        line(16, 22, 16, 26);
        line(11, 27, 21, 27);
        line(7, 19, 13, 13);
        line(13, 13, 17, 17);
        line(17, 17, 20, 14);
        line(20, 14, 25, 19);
    } else if (key == QLatin1String("view32")) {
        // A picture in a frame, with an arrow out of its corner: open it in the viewer.
        p.drawRoundedRect(QRectF(4, 9, 19, 19), 1.5, 1.5);
        line(8, 23, 12, 18);
        line(12, 18, 15, 21);
        line(15, 21, 19, 17);
        line(17, 15, 27, 5);
        line(20, 5, 27, 5);
        line(27, 5, 27, 12);
    } else if (key == QLatin1String("fullscreen32")) {
        line(5, 11, 5, 5);
        line(5, 5, 11, 5);
        line(21, 5, 27, 5);
        line(27, 5, 27, 11);
        line(27, 21, 27, 27);
        line(27, 27, 21, 27);
        line(11, 27, 5, 27);
        line(5, 27, 5, 21);
    }
}

QPixmap render(const QString& key, const QColor& colour) {
    QPixmap pixmap(64, 64);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(2.0, 2.0);
    p.setPen(QPen(colour, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    drawGlyph(p, key);
    return pixmap;
}

}  // namespace

QIcon ToolIcon(const QString& key) {
    QIcon icon;
    icon.addPixmap(render(key, QColor(0xc8, 0xcc, 0xd2)), QIcon::Normal);
    icon.addPixmap(render(key, QColor(0x6c, 0xb4, 0xff)), QIcon::Active);
    icon.addPixmap(render(key, QColor(0x5a, 0x5e, 0x64)), QIcon::Disabled);
    return icon;
}

}  // namespace lorvane
