// The windows were laid out in design units of 120 pixels per inch (the main
// window and the message window) or in pixels at 96 per inch (the report
// window and the overview).  The program is per-monitor DPI aware: every
// size is scaled to the DPI of the monitor that shows the window.
#pragma once

#include "win32ui/uWin.h"

#include <string>

// The DPI of the monitor that shows hWnd (of the primary monitor for null).
int dpiOf(HWND hWnd);

// Design units at 120 pixels per inch to pixels at dpi.
inline int du(int designUnits, int dpi) {
    return MulDiv(designUnits, dpi, 120);
}
// Pixels at 96 per inch to pixels at dpi.
inline int px(int pixels96, int dpi) {
    return MulDiv(pixels96, dpi, 96);
}

// The dialog font (the system's message font) at dpi; the caller owns it.
HFONT createUiFont(int dpi);

// Outer size of a window whose client area is clientW x clientH.
SIZE outerSizeFor(HWND hWnd, int clientW, int clientH, bool withMenu);

// Sets the font of hWnd and of all its children.
void setFontDeep(HWND hWnd, HFONT font);

// UTF-8 <-> UTF-16; text that is not UTF-8 is taken as Latin-1.
std::wstring wide(const std::string& s);
std::string narrow(const std::wstring& s);
// A text with every lone "\n" made "\r\n", for the edit controls.
std::wstring crlf(const std::wstring& s);
// The text of a window.
std::wstring windowText(HWND hWnd);
