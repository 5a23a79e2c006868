#include "qt/EyedropperIcon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

QPixmap EyedropperPixmap(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    PaintEyedropper(painter, size);
    return pixmap;
}

void PaintEyedropper(QPainter &p, int size) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);

    // Everything is drawn along the diagonal from the lower left to the upper right.
    p.save();
    p.translate(16, 16);
    p.rotate(-45);
    const QColor outline(40, 40, 40);
    p.setPen(QPen(outline, 1.2));
    p.setBrush(QColor(200, 225, 240));
    p.drawRoundedRect(QRectF(-12, -2.5, 17, 5), 1.5, 1.5); // glass tube
    p.setBrush(QColor(120, 120, 120));
    p.drawRect(QRectF(4.5, -3.5, 3, 7)); // collar
    p.setBrush(QColor(210, 30, 30));
    p.drawRoundedRect(QRectF(7, -4.5, 9, 9), 4, 4); // bulb
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 140, 140));
    p.drawRect(QRectF(-11, -1.2, 6, 2.4)); // colour drawn up into the tube
    p.restore();

    QPainterPath drop;
    drop.moveTo(5, 25);
    drop.cubicTo(2, 29, 3, 31, 5, 31);
    drop.cubicTo(7, 31, 8, 29, 5, 25);
    p.setPen(QPen(QColor(0, 90, 90), 0.8));
    p.setBrush(QColor(0, 150, 150));
    p.drawPath(drop);
    p.restore();
}

QIcon EyedropperIcon() {
    QIcon icon;
    icon.addPixmap(EyedropperPixmap(16));
    icon.addPixmap(EyedropperPixmap(32));
    return icon;
}
