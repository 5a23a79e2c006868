#pragma once

#include "core/colour/ColourValue.h"

#include <QColor>
#include <QImage>
#include <QWidget>

class QPainter;
class QPalette;

// A borderless area filled with one colour value. Raises Click for a press and release of the
// left button over it, Menu for the right button or the keyboard's menu key.
class PictureBox : public QWidget {
    Q_OBJECT
  public:
    explicit PictureBox(QWidget *parent = nullptr);

    ColourValue BackColor() const { return backColor_; }
    void setBackColor(ColourValue colour);

  signals:
    void Click();
    void Menu(const QPoint &globalPosition);

  protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

  private:
    ColourValue backColor_ = COLOR_BTNFACE_REF;
    bool pressed_ = false;
};

// What a colour value paints as. A system colour reference takes the palette's colour; the
// failed-read marker, and any value that is neither, has no colour and yields an invalid QColor.
QColor PaintColour(ColourValue colour, const QPalette &palette);

// Fills area with what a colour value paints as; a failed read gets a hatch, never a colour.
void PaintColourValue(QPainter &painter, const QRect &area, ColourValue colour,
                      const QPalette &palette);

// A size x size picture of a colour value, as the preview paints it: what a copy carries.
QImage SwatchImage(ColourValue colour, int size, const QPalette &palette);
