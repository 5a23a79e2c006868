#pragma once

#include "core/loupe/LoupePicture.h"

#include <QImage>
#include <QWidget>

// The loupe's picture, one of its pixels to one of the screen's, so that every screen pixel
// stays one sharp block at any scale; where the picture is transparent the window's face shows.
// Raises SideChanged when the pictures it is given are not of its size in device pixels, and
// Wheel for each notch the wheel turns over it.
class LoupeBox : public QWidget {
    Q_OBJECT
  public:
    explicit LoupeBox(QWidget *parent = nullptr);

    void Show(const LoupePicture &picture);
    int DeviceSide() const; // the widget's side in device pixels

  signals:
    void Wheel(int steps); // positive: away from the user, closer in
    void SideChanged(int side);

  protected:
    void paintEvent(QPaintEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;

  private:
    QImage image_;
    int wheelRest_ = 0; // eighths of a degree short of a whole notch, from fine-grained wheels
};
