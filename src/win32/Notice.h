#pragma once

#include <windows.h>

#include <string>

// A message for the user beside the window, without stopping anything: a balloon under the
// window's top-left corner that goes away by itself after a few seconds or at a click on it.
class Notice {
  public:
    explicit Notice(HWND owner) : owner_(owner) {}
    ~Notice();
    Notice(const Notice &) = delete;
    Notice &operator=(const Notice &) = delete;

    void Show(const std::string &message);

  private:
    static void CALLBACK Hide(HWND, UINT, UINT_PTR, DWORD);

    HWND owner_;
    HWND balloon_ = nullptr;
    std::wstring text_;
};
