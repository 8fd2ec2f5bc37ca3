// Window classes of the program's own windows: each window object hands its
// this pointer over at creation; its window procedure finds it again.
#pragma once

#include "win32ui/uWin.h"

// Registers the class once (later calls do nothing).
void registerWindowClass(const wchar_t* name, WNDPROC proc);

// In a window procedure: the object of the window (stored at WM_NCCREATE
// from the creation parameter), or null before that.
template <typename T> T* windowObject(HWND h, UINT m, LPARAM l) {
    if (m == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(l);
        SetWindowLongPtrW(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    }
    return reinterpret_cast<T*>(GetWindowLongPtrW(h, GWLP_USERDATA));
}
