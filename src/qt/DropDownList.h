#pragma once

#include <QComboBox>

// A pick-only list. Space does not open it: Space belongs to the hold, wherever the focus is.
class DropDownList : public QComboBox {
    Q_OBJECT
  public:
    explicit DropDownList(QWidget *parent = nullptr);

  signals:
    // The user chose an entry (even the one already chosen).
    void Click(int listIndex);

  protected:
    void keyPressEvent(QKeyEvent *event) override;
};
