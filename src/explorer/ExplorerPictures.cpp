#include "explorer/ExplorerPictures.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace lorvane {

namespace {

QImage transparentImage(int width, int height) {
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

// A small landscape (hills and a sun) inside rect: the usual sign for "a picture".
void drawPictureGlyph(QPainter& painter, const QRectF& rect, const QColor& colour) {
    painter.save();
    painter.setPen(QPen(colour, 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(rect, 6, 6);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    const double w = rect.width();
    const double h = rect.height();
    painter.drawEllipse(QPointF(rect.left() + w * 0.72, rect.top() + h * 0.30), w * 0.09, w * 0.09);
    QPainterPath hills;
    hills.moveTo(rect.left() + w * 0.08, rect.bottom() - h * 0.10);
    hills.lineTo(rect.left() + w * 0.36, rect.top() + h * 0.42);
    hills.lineTo(rect.left() + w * 0.56, rect.top() + h * 0.66);
    hills.lineTo(rect.left() + w * 0.68, rect.top() + h * 0.54);
    hills.lineTo(rect.right() - w * 0.08, rect.bottom() - h * 0.10);
    hills.closeSubpath();
    painter.drawPath(hills);
    painter.restore();
}

}  // namespace

QImage FolderPicture() {
    QImage image = transparentImage(150, 125);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);

    // Back of the folder with its tab.
    QPainterPath back;
    back.moveTo(12, 26);
    back.lineTo(12, 112);
    back.lineTo(138, 112);
    back.lineTo(138, 34);
    back.lineTo(70, 34);
    back.lineTo(60, 22);
    back.lineTo(18, 22);
    back.quadTo(12, 22, 12, 28);
    QLinearGradient backFill(0, 22, 0, 112);
    backFill.setColorAt(0, QColor(0xd9, 0x9a, 0x2b));
    backFill.setColorAt(1, QColor(0xb9, 0x7c, 0x1c));
    painter.setPen(QPen(QColor(0x9a, 0x66, 0x12), 1.5));
    painter.setBrush(backFill);
    painter.drawPath(back);

    // A sheet of paper peeking out.
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0xf4, 0xf1, 0xea));
    painter.drawRect(QRectF(22, 38, 106, 40));

    // Front flap.
    QPainterPath front;
    front.moveTo(8, 50);
    front.lineTo(142, 50);
    front.lineTo(136, 112);
    front.lineTo(14, 112);
    front.closeSubpath();
    QLinearGradient frontFill(0, 50, 0, 112);
    frontFill.setColorAt(0, QColor(0xff, 0xd2, 0x6a));
    frontFill.setColorAt(1, QColor(0xf2, 0xb2, 0x3e));
    painter.setPen(QPen(QColor(0xb8, 0x80, 0x1e), 1.5));
    painter.setBrush(frontFill);
    painter.drawPath(front);
    painter.setPen(QPen(QColor(255, 255, 255, 110), 2));
    painter.drawLine(QPointF(12, 54), QPointF(138, 54));
    return image;
}

QImage LoadingPicture() {
    // Translucent greys, so the placeholder sits quietly on a light list and on a dark skin.
    const QColor grey(128, 130, 138);
    const auto withAlpha = [&grey](int alpha) {
        QColor colour = grey;
        colour.setAlpha(alpha);
        return colour;
    };
    QImage image = transparentImage(125, 125);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(withAlpha(90), 1));
    painter.setBrush(withAlpha(36));
    painter.drawRoundedRect(QRectF(4.5, 4.5, 116, 116), 10, 10);
    drawPictureGlyph(painter, QRectF(30, 32, 65, 50), withAlpha(150));
    // Three dots: the picture is on its way.
    painter.setPen(Qt::NoPen);
    for (int i = 0; i < 3; ++i) {
        painter.setBrush(withAlpha(220 - 50 * i));
        painter.drawEllipse(QPointF(48 + 14.5 * i, 98), 4.5, 4.5);
    }
    return image;
}

QImage BrokenPicture() {
    QImage image = transparentImage(140, 140);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(0xc9, 0xcb, 0xcf), 1));
    painter.setBrush(QColor(0xfa, 0xfa, 0xfb));
    painter.drawRoundedRect(QRectF(6.5, 6.5, 127, 127), 8, 8);

    // The picture sign torn in two along a jagged line.
    const QRectF glyph(30, 30, 80, 62);
    const QColor grey(0xa6, 0xa9, 0xaf);
    QPainterPath tear;
    tear.moveTo(glyph.left() + 36, glyph.top() - 6);
    const double steps[][2] = {{46, 8}, {34, 20}, {48, 34}, {36, 48}, {46, 60}, {40, 72}};
    for (const auto& step : steps) {
        tear.lineTo(glyph.left() + step[0], glyph.top() + step[1]);
    }
    QPainterPath leftHalf = tear;
    leftHalf.lineTo(0, glyph.top() + 72);
    leftHalf.lineTo(0, glyph.top() - 6);
    leftHalf.closeSubpath();

    painter.save();
    painter.setClipPath(leftHalf);
    painter.translate(-3, 2);
    painter.rotate(-4);
    drawPictureGlyph(painter, glyph, grey);
    painter.restore();
    painter.save();
    QPainterPath rightHalf;
    rightHalf.addRect(0, 0, 140, 140);
    rightHalf = rightHalf.subtracted(leftHalf);
    painter.setClipPath(rightHalf);
    painter.translate(4, -1);
    painter.rotate(3);
    drawPictureGlyph(painter, glyph, grey);
    painter.restore();

    // A red mark: this one failed.
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0xd6, 0x45, 0x3d));
    const QPointF centre(102, 104);
    painter.drawEllipse(centre, 15, 15);
    painter.setPen(QPen(Qt::white, 3.5, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(centre + QPointF(-6, -6), centre + QPointF(6, 6));
    painter.drawLine(centre + QPointF(6, -6), centre + QPointF(-6, 6));
    return image;
}

}  // namespace lorvane
