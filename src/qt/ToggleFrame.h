#pragma once

#include <QPushButton>

// A push button that looks pressed while the window holds its colour. A click only reports
// itself: whether it then stays pressed is the window logic's call. It never takes the
// keyboard focus, so a Space typed into the window is not seen twice.
class ToggleFrame : public QPushButton {
    Q_OBJECT
  public:
    explicit ToggleFrame(QWidget *parent = nullptr);

  signals:
    void Click();

  protected:
    void nextCheckState() override {}
};
