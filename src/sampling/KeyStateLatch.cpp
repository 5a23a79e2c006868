#include "sampling/KeyStateLatch.h"

#include "sampling/ScreenPlatform.h"

void KeyStateLatch::Press() {
    down_ = true;
    pressedSince_ = true;
}

void KeyStateLatch::Release() {
    down_ = false;
}

quint16 KeyStateLatch::Query() {
    const quint16 state = (down_ ? KeyDownNow : 0) | (pressedSince_ ? KeyPressedSince : 0);
    pressedSince_ = false;
    return state;
}
