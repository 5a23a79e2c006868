#include "app/DropDownList.h"

#include <QKeyEvent>

DropDownList::DropDownList(QWidget *parent) : QComboBox(parent) {
    setEditable(false);
    connect(this, &QComboBox::activated, this, &DropDownList::Click);
}

bool DropDownList::setListIndex(int index) {
    if (index < -1 || index >= count())
        return false;
    setCurrentIndex(index);
    emit Click();
    return true;
}

void DropDownList::keyPressEvent(QKeyEvent *event) {
    if (event->key() == Qt::Key_Space) {
        event->ignore();
        return;
    }
    QComboBox::keyPressEvent(event);
}
