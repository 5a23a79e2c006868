#include "qt/HistoryStrip.h"

#include "core/history/StripGeometry.h"
#include "qt/PictureBox.h"

#include <QMouseEvent>
#include <QPainter>
#include <qdrawutil.h>

HistoryStrip::HistoryStrip(const History &history, QWidget *frame)
    : QWidget(frame), history_(history) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void HistoryStrip::Show(const History &history) {
    const qint64 left = history.StripLeft();
    if (left != shownLeft_) {
        update();
    } else {
        // Only new swatches appeared: repaint just them.
        for (qint64 i = shownCount_; i < history.Count(); ++i) {
            const qint64 x = left + SwatchLeft(i);
            if (x < width() && x + SwatchSize > 0)
                update(QRect(static_cast<int>(x), 0, SwatchSize, SwatchSize));
        }
    }
    shownLeft_ = left;
    shownCount_ = history.Count();
}

void HistoryStrip::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Window));
    const qint64 left = history_.StripLeft();
    const SwatchSpan span = SwatchesInView(left, history_.Count(), width());
    for (qint64 i = span.first; i <= span.last; ++i) {
        const QRect swatch(static_cast<int>(left + SwatchLeft(i)), 0, SwatchSize, SwatchSize);
        qDrawWinPanel(&painter, swatch, palette(), true);
        PaintColourValue(painter, swatch.adjusted(2, 2, -2, -2), history_.Swatch(i), palette());
    }
}

qint64 HistoryStrip::SwatchAt(const QPointF &position) const {
    const QPoint at = position.toPoint();
    if (!rect().contains(at) || at.y() >= SwatchSize)
        return -1;
    return SwatchUnder(at.x(), history_.StripLeft(), history_.Count());
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
