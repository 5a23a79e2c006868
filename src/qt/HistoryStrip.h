#pragma once

#include "core/FenwoMain.h"

#include <QWidget>

// The row of captured swatches, drawn from the history rather than built from a widget each:
// it must stay cheap and valid at any length. The widget covers the frame's visible area; the
// strip's offset places the (virtual, possibly enormous) strip in it.
class HistoryStrip : public QWidget {
    Q_OBJECT
  public:
    HistoryStrip(const FenwoMain &core, QWidget *frame);

    // Repaints what changed since the history was last shown.
    void Show(const History &history, const StripScroll &strip);

  signals:
    // Press and release of the left button on the same swatch.
    void Click(qint64 Index);
    // The right button, over swatch Index or -1 for none.
    void Menu(qint64 Index, const QPoint &globalPosition);

  protected:
    bool event(QEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

  private:
    qint64 SwatchAt(const QPointF &position) const;

    const FenwoMain &core_;
    qint64 shownLeft_ = 0;
    qint64 shownCount_ = 0;
    qint64 pressed_ = -1;
};
