#pragma once

#include "core/loupe/LoupePicture.h"
#include "core/window/WindowLayout.h"

#include <windows.h>

#include <cstdint>
#include <vector>

class FenwoMain;

// The loupe panel below the window's other controls: the magnified square (Picture5) and its
// two lines, the position (Label4) and the zoom with the sample (Label5). Its controls exist
// from the start, hidden until the core shows the panel; the window places and scales them
// from the table like its others.
class LoupePanel {
  public:
    // The controls, hidden, stacked below the parent's others.
    bool Create(HINSTANCE instance, HWND parent, FenwoMain &core);
    // The window of a row of the panel; nullptr for any other row.
    HWND Control(ControlId id) const;
    void Show(bool visible);
    void Draw(const LoupePicture &picture);
    // A wheel message the window got: true when the pointer was over the picture and the turn
    // went to the core, in whole notches.
    bool Wheel(WPARAM wParam, LPARAM lParam);

  private:
    static LRESULT CALLBACK PictureProc(HWND, UINT, WPARAM, LPARAM);
    void Paint(HDC dc, const RECT &area) const;

    FenwoMain *core_ = nullptr;
    HWND Picture5 = nullptr;            // the square, each screen pixel a block
    HWND Label4 = nullptr;              // "x, y" of the centre, in native pixels
    HWND Label5 = nullptr;              // "8 倍  3×3 平均"
    std::vector<std::uint32_t> pixels_; // the picture as a DIB: 0x00RRGGBB, the face filled in
    int wheel_ = 0;                     // the turn not yet a whole notch
};

// The preview's menu for its WM_CONTEXTMENU at `at` (-1 from the keyboard: below the preview):
// the loupe, its zoom and the sample. The chosen command goes to the core.
void TrackLoupeMenu(HWND owner, HWND preview, LPARAM at, FenwoMain &core);
