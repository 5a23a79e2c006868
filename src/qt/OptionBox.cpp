#include "qt/OptionBox.h"

OptionBox::OptionBox(const QString &caption, QWidget *parent) : QCheckBox(caption, parent) {
    connect(this, &QAbstractButton::clicked, this, &OptionBox::Click);
}

int OptionBox::Value() const {
    switch (checkState()) {
    case Qt::Checked:
        return 1;
    case Qt::PartiallyChecked:
        return 2;
    default:
        return 0;
    }
}

bool OptionBox::setValue(int value) {
    static constexpr Qt::CheckState states[] = {Qt::Unchecked, Qt::Checked, Qt::PartiallyChecked};
    if (value < 0 || value > 2)
        return false;
    setTristate(value == 2);
    setCheckState(states[value]);
    return true;
}
