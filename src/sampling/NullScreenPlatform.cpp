#include "sampling/NullScreenPlatform.h"

#include "sampling/WindowStacking.h"

#include <QCursor>

QPoint NullScreenPlatform::GetCursorPos() {
    return QCursor::pos();
}

quint32 NullScreenPlatform::GetPixel(quintptr, QPoint) {
    return 0xFFFFFFFFu;
}

quint16 NullScreenPlatform::GetAsyncKeyState(int) {
    return 0;
}

void NullScreenPlatform::SetWindowTopmost(QWidget &window) {
    KeepAboveOthers(window);
}
