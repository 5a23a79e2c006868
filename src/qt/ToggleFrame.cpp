#include "qt/ToggleFrame.h"

ToggleFrame::ToggleFrame(QWidget *parent) : QPushButton(parent) {
    setCheckable(true);
    setFocusPolicy(Qt::NoFocus);
    connect(this, &QAbstractButton::clicked, this, &ToggleFrame::Click);
}
