#pragma once

#include "colour/ColourValue.h"

#include <QWidget>
#include <deque>

// The row of captured swatches, drawn rather than built from a widget each: it only grows,
// and must stay cheap and valid at any length. The widget covers the frame's visible area;
// Left and Width place the (virtual, possibly enormous) strip inside it.
class HistoryStrip : public QWidget {
    Q_OBJECT
  public:
    explicit HistoryStrip(QWidget *frame);

    qint64 Left() const { return left_; }
    void setLeft(qint64 left);
    qint64 Width() const { return width_; }
    void setWidth(qint64 width) { width_ = width; }

    qint64 Count() const { return static_cast<qint64>(colours_.size()); }
    ColourValue BackColor(qint64 index) const { return colours_.at(static_cast<size_t>(index)); }
    // Adds a swatch at the right end; swatches are never removed or recoloured.
    void Append(ColourValue colour);

  signals:
    // Press and release of the left button on the same swatch.
    void Click(qint64 Index);

  protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

  private:
    qint64 SwatchAt(const QPointF &position) const;

    std::deque<ColourValue> colours_; // grows in blocks: no copy of the whole history
    qint64 left_ = 0;
    qint64 width_;
    qint64 pressed_ = -1;
};
