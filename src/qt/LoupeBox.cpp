#include "qt/LoupeBox.h"

#include <QPainter>
#include <QWheelEvent>
#include <cstring>

LoupeBox::LoupeBox(QWidget *parent)
    : QWidget(parent), image_(LoupeViewSize, LoupeViewSize, QImage::Format_ARGB32) {
    image_.fill(Qt::transparent);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

int LoupeBox::DeviceSide() const {
    return qRound(LoupeViewSize * devicePixelRatioF());
}

void LoupeBox::Show(const LoupePicture &picture) {
    const int side = picture.side;
    if (side <= 0 || picture.pixels.size() != std::size_t(side) * std::size_t(side))
        return;
    if (image_.width() != side)
        image_ = QImage(side, side, QImage::Format_ARGB32);
    for (int y = 0; y < side; ++y)
        std::memcpy(image_.scanLine(y), picture.pixels.data() + std::size_t(y) * std::size_t(side),
                    std::size_t(side) * sizeof(std::uint32_t));
    // One image pixel to one device pixel; until a picture of this screen's size comes, the
    // one there is stretched.
    image_.setDevicePixelRatio(double(side) / LoupeViewSize);
    if (side != DeviceSide())
        emit SideChanged(DeviceSide());
    update();
}

void LoupeBox::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Window));
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(QRectF(rect()), image_);
    if (image_.width() != DeviceSide()) // moved to a screen of another scale
        emit SideChanged(DeviceSide());
}

void LoupeBox::wheelEvent(QWheelEvent *event) {
    wheelRest_ += event->angleDelta().y();
    const int steps = wheelRest_ / QWheelEvent::DefaultDeltasPerStep;
    wheelRest_ %= QWheelEvent::DefaultDeltasPerStep;
    if (steps != 0)
        emit Wheel(steps);
    event->accept();
}
