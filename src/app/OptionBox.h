#pragma once

#include <QCheckBox>

// A check box whose value is 0 (unchecked), 1 (checked) or 2 (greyed).
class OptionBox : public QCheckBox {
    Q_OBJECT
  public:
    explicit OptionBox(const QString &caption, QWidget *parent = nullptr);

    int Value() const;
    // Any other value is refused and leaves the box as it was.
    bool setValue(int value);

  signals:
    // Every change of the value, by the user or by code.
    void Click();

  protected:
    // A click from greyed checks the box, as from unchecked; the user never reaches greyed.
    void nextCheckState() override;
};
