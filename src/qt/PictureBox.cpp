#include "qt/PictureBox.h"

#include "core/colour/SwatchPaint.h"

#include <QContextMenuEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>

QColor PaintColour(ColourValue colour, const QPalette &palette) {
    const SwatchPaint paint = PaintOf(colour);
    switch (paint.fill) {
    case SwatchFill::Solid:
        return QColor(paint.colour.red, paint.colour.green, paint.colour.blue);
    case SwatchFill::System:
        return palette.color(QPalette::Button); // every system reference we hold is a face colour
    case SwatchFill::Hatch:
        break;
    }
    return {};
}

void PaintColourValue(QPainter &painter, const QRect &area, ColourValue colour,
                      const QPalette &palette) {
    const QColor paint = PaintColour(colour, palette);
    if (paint.isValid()) {
        painter.fillRect(area, paint);
        return;
    }
    painter.fillRect(area, palette.color(QPalette::Window));
    painter.fillRect(area, QBrush(palette.color(QPalette::WindowText), Qt::BDiagPattern));
}

PictureBox::PictureBox(QWidget *parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PictureBox::setBackColor(ColourValue colour) {
    if (colour == backColor_)
        return; // same value, same pixels: spare the repaint every 50 ms
    backColor_ = colour;
    update();
}

QImage SwatchImage(ColourValue colour, int size, const QPalette &palette) {
    QImage image(size, size, QImage::Format_RGB32);
    QPainter painter(&image);
    PaintColourValue(painter, image.rect(), colour, palette);
    return image;
}

void PictureBox::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    PaintColourValue(painter, rect(), backColor_, palette());
}

void PictureBox::mousePressEvent(QMouseEvent *event) {
    pressed_ = event->button() == Qt::LeftButton;
    QWidget::mousePressEvent(event);
}

void PictureBox::mouseReleaseEvent(QMouseEvent *event) {
    const bool click = pressed_ && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
    pressed_ = false;
    if (click)
        emit Click();
}

void PictureBox::contextMenuEvent(QContextMenuEvent *event) {
    emit Menu(event->globalPos());
    event->accept();
}
