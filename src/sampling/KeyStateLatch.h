#pragma once

#include <QtGlobal>

// Turns a stream of key presses and releases into the answer of a key state query: down now,
// and pressed at least once since the previous query (so a tap between two polls still counts).
class KeyStateLatch {
  public:
    void Press();
    void Release();
    // For a state learned without an event, such as at start-up.
    void SetDown(bool down) { down_ = down; }
    bool IsDown() const { return down_; }

    // KeyDownNow | KeyPressedSince bits; clears the pressed-since report.
    quint16 Query();

  private:
    bool down_ = false;
    bool pressedSince_ = false;
};
