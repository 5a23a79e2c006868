#include "history/HistoryStrip.h"

#include "app/PictureBox.h"
#include "history/StripGeometry.h"

#include <QMouseEvent>
#include <QPainter>
#include <qdrawutil.h>

HistoryStrip::HistoryStrip(QWidget *frame) : QWidget(frame), width_(StripDesignWidth) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void HistoryStrip::setLeft(qint64 left) {
    if (left == left_)
        return;
    left_ = left;
    update();
}

void HistoryStrip::Append(ColourValue colour) {
    colours_.push_back(colour);
    const qint64 x = left_ + SwatchLeft(Count() - 1);
    if (x < width() && x + SwatchSize > 0)
        update(QRect(static_cast<int>(x), 0, SwatchSize, SwatchSize));
}

void HistoryStrip::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Window));
    const SwatchSpan span = SwatchesInView(left_, Count(), width());
    for (qint64 i = span.first; i <= span.last; ++i) {
        const QRect swatch(static_cast<int>(left_ + SwatchLeft(i)), 0, SwatchSize, SwatchSize);
        qDrawWinPanel(&painter, swatch, palette(), true);
        PaintColourValue(painter, swatch.adjusted(2, 2, -2, -2), colours_[static_cast<size_t>(i)],
                         palette());
    }
}

qint64 HistoryStrip::SwatchAt(const QPointF &position) const {
    const QPoint at = position.toPoint();
    if (!rect().contains(at) || at.y() >= SwatchSize)
        return -1;
    return SwatchUnder(at.x(), left_, Count());
}

void HistoryStrip::mousePressEvent(QMouseEvent *event) {
    pressed_ = event->button() == Qt::LeftButton ? SwatchAt(event->position()) : -1;
}

void HistoryStrip::mouseReleaseEvent(QMouseEvent *event) {
    const qint64 index = SwatchAt(event->position());
    const bool click = event->button() == Qt::LeftButton && index >= 0 && index == pressed_;
    pressed_ = -1;
    if (click)
        emit Click(index);
}
