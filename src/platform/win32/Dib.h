#pragma once

#include <windows.h>

// How a 32-bit device-independent bitmap of width x height is laid out: rows from the top,
// each pixel 0x00RRGGBB.
inline BITMAPINFO TopDownDib(int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}
