#include "qt/LoupeBox.h"

#include <QPainter>
#include <QWheelEvent>
#include <cstring>

LoupeBox::LoupeBox(QWidget *parent)
    : QWidget(parent), image_(LoupeViewSize, LoupeViewSize, QImage::Format_ARGB32) {
    image_.fill(Qt::transparent);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void LoupeBox::Show(const LoupePicture &picture) {
    if (picture.pixels.size() != std::size_t(LoupeViewSize) * LoupeViewSize)
        return;
    for (int y = 0; y < LoupeViewSize; ++y)
        std::memcpy(image_.scanLine(y), picture.pixels.data() + std::size_t(y) * LoupeViewSize,
                    LoupeViewSize * sizeof(std::uint32_t));
    update();
}

void LoupeBox::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Window));
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(rect(), image_);
}

void LoupeBox::wheelEvent(QWheelEvent *event) {
    wheelRest_ += event->angleDelta().y();
    const int steps = wheelRest_ / QWheelEvent::DefaultDeltasPerStep;
    wheelRest_ %= QWheelEvent::DefaultDeltasPerStep;
    if (steps != 0)
        emit Wheel(steps);
    event->accept();
}
