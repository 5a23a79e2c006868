#pragma once

#include <QCheckBox>

// A check box showing 0 (unchecked), 1 (checked) or 2 (greyed). A click only reports itself:
// the new value comes from the window logic.
class OptionBox : public QCheckBox {
    Q_OBJECT
  public:
    explicit OptionBox(const QString &caption, QWidget *parent = nullptr);

    int Value() const;
    // Any other value is refused and leaves the box as it was.
    bool setValue(int value);

  signals:
    void Click();

  protected:
    void nextCheckState() override {}
};
