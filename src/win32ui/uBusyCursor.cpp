#include "win32ui/uBusyCursor.h"

namespace {
bool gBusy = false;

// True when the mouse is over a window of this program.
bool cursorOverOwnWindow() {
    POINT p{};
    if (!GetCursorPos(&p)) return false;
    const HWND under = WindowFromPoint(p);
    DWORD pid = 0;
    if (under) GetWindowThreadProcessId(under, &pid);
    return under && pid == GetCurrentProcessId();
}
} // namespace

void setBusyCursor(bool on) {
    if (on == gBusy) return;
    gBusy = on;
    // Now, not only at the next mouse move.
    if (cursorOverOwnWindow()) SetCursor(LoadCursorW(nullptr, on ? IDC_WAIT : IDC_ARROW));
}

bool busyCursorSet() {
    if (!gBusy) return false;
    SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    return true;
}
