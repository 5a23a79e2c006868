#pragma once

#include "core/loupe/LoupePicture.h"

#include <QImage>
#include <QWidget>

// The loupe's picture, scaled to the widget without smoothing so that every screen pixel stays
// one sharp block; where the picture is transparent the window's face shows. Raises Wheel for
// each notch the wheel turns over it.
class LoupeBox : public QWidget {
    Q_OBJECT
  public:
    explicit LoupeBox(QWidget *parent = nullptr);

    void Show(const LoupePicture &picture);

  signals:
    void Wheel(int steps); // positive: away from the user, closer in

  protected:
    void paintEvent(QPaintEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;

  private:
    QImage image_;
    int wheelRest_ = 0; // eighths of a degree short of a whole notch, from fine-grained wheels
};
