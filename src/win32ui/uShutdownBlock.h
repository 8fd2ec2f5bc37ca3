// A write in progress blocks a shutdown or log-off, with a reason the user
// reads in the system's shutdown screen.  Cut off in the middle, a write
// leaves the logger without working firmware.
#pragma once

#include "win32ui/uWin.h"

// The reason shown while an update runs.
inline constexpr const wchar_t* cShutdownBlockReason =
    L"A firmware update is being written to the Tarvek2 logger. Wait until it has "
    L"finished, or press \"Cancel\" first.";

// Sets (blocked) or removes the reason for hWnd; a system without these calls
// (before Windows Vista) only gets the refusal of WM_QUERYENDSESSION.
void setShutdownBlock(HWND hWnd, bool blocked);
