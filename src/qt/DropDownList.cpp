#include "qt/DropDownList.h"

#include <QKeyEvent>

DropDownList::DropDownList(QWidget *parent) : QComboBox(parent) {
    setEditable(false);
    connect(this, &QComboBox::activated, this, &DropDownList::Click);
}

void DropDownList::keyPressEvent(QKeyEvent *event) {
    if (event->key() == Qt::Key_Space) {
        event->ignore();
        return;
    }
    QComboBox::keyPressEvent(event);
}
