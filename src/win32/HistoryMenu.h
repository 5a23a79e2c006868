#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

class FenwoMain;

// What the history strip (Picture4) does besides drawing: a click on a swatch
// (Picture3_Click), the right-click menu the core describes (StripMenu_Click) and each
// swatch's tooltip (SwatchTip). The window owns the strip and hands its messages here.
class StripInput {
  public:
    void Attach(HWND strip, HWND owner, FenwoMain &core);
    // A message of the strip: true when it was answered here, with *result.
    bool Handle(UINT message, WPARAM wParam, LPARAM lParam, UINT dpi, LRESULT *result);

  private:
    std::int64_t SwatchAt(POINT client, UINT dpi) const; // -1 off the swatches
    void TrackMenu(LPARAM at, UINT dpi);

    FenwoMain *core_ = nullptr;
    HWND strip_ = nullptr;
    HWND owner_ = nullptr;
    HWND tooltip_ = nullptr;      // the swatches' tooltip, its text asked for as it shows
    std::int64_t tipSwatch_ = -1; // the swatch the pointer was last over
    std::wstring tipText_;        // what the tooltip shows now
};
