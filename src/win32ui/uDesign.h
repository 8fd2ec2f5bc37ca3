// The desktop model's design as the Win32 program lays it out.  The program
// is per-monitor DPI aware: every size of the design (desktop/uDesignUnits.h)
// is scaled to the DPI of the monitor that shows the window.
#pragma once

#include "desktop/uDesignUnits.h"
#include "win32ui/uWin.h"

#include <string>

// The DPI of the monitor that shows hWnd (of the primary monitor for null).
int dpiOf(HWND hWnd);

// Design units at 120 pixels per inch to pixels at dpi.
inline int du(int designUnits, int dpi) {
    return TScale{dpi}.du(designUnits);
}
// Pixels at 96 per inch to pixels at dpi.
inline int px(int pixels96, int dpi) {
    return TScale{dpi}.px(pixels96);
}
inline TRect tRect(const RECT& r) {
    return TRect{r.left, r.top, r.right - r.left, r.bottom - r.top};
}
// The outer rectangle of a window on the screen.
TRect outerRectOf(HWND hWnd);
// Outer size minus client size.
TSize frameOf(HWND hWnd);
// Moves and sizes a child to r (client coordinates of its parent).
void placeChild(HWND hChild, const TRect& r);

// The dialog font (the system's message font) at dpi; the caller owns it.
HFONT createUiFont(int dpi);

// Outer size of a window whose client area is clientW x clientH.
SIZE outerSizeFor(HWND hWnd, int clientW, int clientH, bool withMenu);

// The height of a line of text in font, as hWnd draws it.
int lineHeightOf(HWND hWnd, HFONT font);
// Sets the font of hWnd and of all its children.
void setFontDeep(HWND hWnd, HFONT font);
// Gives hWnd and its children the dialog font at dpi, unless font is that
// one already (fontDpi); font is the window's own, freed when replaced.
void fontForDpi(HWND hWnd, HFONT& font, int& fontDpi, int dpi);

// UTF-8 <-> UTF-16; text that is not UTF-8 is taken as Latin-1.
std::wstring wide(const std::string& s);
std::string narrow(const std::wstring& s);
// A text with plain "\n" line breaks (desktop/uDesktopTexts.h) as the edit
// controls and message boxes need it: every line break "\r\n".
std::wstring crlf(const std::wstring& s);
std::wstring shownText(const std::string& text);
// The text of a window.
std::wstring windowText(HWND hWnd);
