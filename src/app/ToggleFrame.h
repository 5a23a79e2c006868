#pragma once

#include <QPushButton>

// A push button that stays pressed while its value is 1. It never takes the keyboard focus,
// so a Space typed into the window is not seen twice.
class ToggleFrame : public QPushButton {
    Q_OBJECT
  public:
    explicit ToggleFrame(QWidget *parent = nullptr);

    int Value() const { return isChecked() ? 1 : 0; }
    void setValue(int value) { setChecked(value != 0); }

  signals:
    // Every change of the value, by the user or by code.
    void Click();
};
