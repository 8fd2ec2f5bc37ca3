// The application-wide busy cursor: while it is on, every window of the
// program shows the hourglass (each answers WM_SETCURSOR through
// busyCursorSet).
#pragma once

#include "win32ui/uWin.h"

void setBusyCursor(bool on);
// For WM_SETCURSOR: sets the hourglass and returns true while busy.
bool busyCursorSet();
