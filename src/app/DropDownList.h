#pragma once

#include <QComboBox>

// A pick-only list. Space does not open it: Space belongs to the hold, wherever the focus is.
class DropDownList : public QComboBox {
    Q_OBJECT
  public:
    explicit DropDownList(QWidget *parent = nullptr);

    int ListIndex() const { return currentIndex(); }
    // -1 selects nothing; a value past the entries is refused. Raises Click either way it
    // succeeds, even when the index does not change.
    bool setListIndex(int index);

  signals:
    // The user chose an entry, or code assigned the index.
    void Click();

  protected:
    void keyPressEvent(QKeyEvent *event) override;
};
