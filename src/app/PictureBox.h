#pragma once

#include "colour/ColourValue.h"

#include <QImage>
#include <QWidget>

class QPainter;

// A borderless area filled with one colour value. Raises Click for a press and release of the
// left button over it.
class PictureBox : public QWidget {
    Q_OBJECT
  public:
    explicit PictureBox(QWidget *parent = nullptr);

    ColourValue BackColor() const { return backColor_; }
    void setBackColor(ColourValue colour);

    // The box at its size in pixels, as it paints: what a copy of the preview carries.
    QImage Image() const;

  signals:
    void Click();

  protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

  private:
    ColourValue backColor_ = COLOR_BTNFACE_REF;
    bool pressed_ = false;
};

// Fills area with what a colour value paints as; a failed read gets a hatch, never a colour.
void PaintColourValue(QPainter &painter, const QRect &area, ColourValue colour,
                      const QPalette &palette);
