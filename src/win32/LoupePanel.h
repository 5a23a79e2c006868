#pragma once

#include "core/loupe/LoupePicture.h"

#include <windows.h>

#include <cstdint>
#include <vector>

class FenwoMain;

// What the loupe panel below the window's other controls does: the magnified square
// (Picture5) and its two lines, the position (Label4) and the zoom with the sample (Label5).
// The window owns, places and scales the three controls from the table like its others; they
// exist from the start, hidden until the core shows the panel.
class LoupePanel {
  public:
    static constexpr wchar_t PictureClass[] = L"KalvorLoupe";
    // The picture's window class, before any Picture5 is made.
    static bool RegisterPictureClass(HINSTANCE instance);

    void Attach(HWND picture, HWND position, HWND scale, FenwoMain &core);
    void Show(bool visible);
    void Draw(const LoupePicture &picture);
    // The window placed the controls (at start, at a new DPI): the picture's size goes to the
    // core, which draws at the monitor's pixels.
    void Placed();
    // A wheel message the window got: true when the pointer was over the picture and the turn
    // went to the core, in whole notches.
    bool Wheel(WPARAM wParam, LPARAM lParam);

  private:
    static LRESULT CALLBACK PictureProc(HWND, UINT, WPARAM, LPARAM);
    void Paint(HDC dc, const RECT &area) const;

    FenwoMain *core_ = nullptr;
    HWND picture_ = nullptr;            // Picture5
    HWND position_ = nullptr;           // Label4: "x, y" of the centre, in native pixels
    HWND scale_ = nullptr;              // Label5: "8 倍  3×3 平均"
    std::vector<std::uint32_t> pixels_; // the picture as a DIB: 0x00RRGGBB, the face filled in
    int side_ = 0;                      // its side in pixels
    int wheel_ = 0;                     // the turn not yet a whole notch
};

// The preview's menu for its WM_CONTEXTMENU at `at` (-1 from the keyboard: below the preview):
// the loupe, its zoom and the sample. The chosen command goes to the core.
void TrackLoupeMenu(HWND owner, HWND preview, LPARAM at, FenwoMain &core);
