#pragma once

#include "core/history/History.h"

#include <QWidget>

// The row of captured swatches, drawn from the history rather than built from a widget each:
// it only grows, and must stay cheap and valid at any length. The widget covers the frame's
// visible area; the history's strip offset places the (virtual, possibly enormous) strip in it.
class HistoryStrip : public QWidget {
    Q_OBJECT
  public:
    HistoryStrip(const History &history, QWidget *frame);

    // Repaints what changed since the history was last shown.
    void Show(const History &history);

  signals:
    // Press and release of the left button on the same swatch.
    void Click(qint64 Index);

  protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

  private:
    qint64 SwatchAt(const QPointF &position) const;

    const History &history_;
    qint64 shownLeft_ = 0;
    qint64 shownCount_ = 0;
    qint64 pressed_ = -1;
};
