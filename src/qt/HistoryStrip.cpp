#include "qt/HistoryStrip.h"

#include "core/history/StripGeometry.h"
#include "qt/PictureBox.h"

#include <QContextMenuEvent>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include <qdrawutil.h>

HistoryStrip::HistoryStrip(const FenwoMain &core, QWidget *frame) : QWidget(frame), core_(core) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void HistoryStrip::Show(const History &history, const StripScroll &strip) {
    const qint64 left = strip.StripLeft();
    if (left != shownLeft_ || history.Count() < shownCount_ || history.Count() > shownCount_ + 1) {
        update(); // swatches went, or the strip was filled anew
    } else {
        // One capture: repaint just the new swatch.
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
    const History &history = core_.Swatches();
    const qint64 left = core_.Strip().StripLeft();
    const SwatchSpan span = SwatchesInView(left, history.Count(), width());
    for (qint64 i = span.first; i <= span.last; ++i) {
        const QRect swatch(static_cast<int>(left + SwatchLeft(i)), 0, SwatchSize, SwatchSize);
        qDrawWinPanel(&painter, swatch, palette(), true);
        PaintColourValue(painter, swatch.adjusted(2, 2, -2, -2), history.Swatch(i), palette());
    }
}

qint64 HistoryStrip::SwatchAt(const QPointF &position) const {
    const QPoint at = position.toPoint();
    if (!rect().contains(at) || at.y() >= SwatchSize)
        return -1;
    return SwatchUnder(at.x(), core_.Strip().StripLeft(), core_.Swatches().Count());
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

void HistoryStrip::contextMenuEvent(QContextMenuEvent *event) {
    emit Menu(SwatchAt(event->pos()), event->globalPos());
}

// The tip is asked for when it shows, so it follows the colour held at that moment.
bool HistoryStrip::event(QEvent *event) {
    if (event->type() != QEvent::ToolTip)
        return QWidget::event(event);
    const auto *help = static_cast<QHelpEvent *>(event);
    const QString tip = QString::fromStdString(core_.SwatchTip(SwatchAt(help->pos())));
    if (tip.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(help->globalPos(), tip, this);
    return true;
}
