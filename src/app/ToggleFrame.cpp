#include "app/ToggleFrame.h"

ToggleFrame::ToggleFrame(QWidget *parent) : QPushButton(parent) {
    setCheckable(true);
    setFocusPolicy(Qt::NoFocus);
    connect(this, &QAbstractButton::toggled, this, &ToggleFrame::Click);
}
