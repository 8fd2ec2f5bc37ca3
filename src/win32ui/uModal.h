// A modal run of one of the program's own windows: its owner takes no input
// until the window is done; messages keep flowing meanwhile (session
// notifications queued for the main window are handled as they come).
#pragma once

#include "win32ui/uWin.h"

// Shows hDlg, runs the message loop until done is true, hides hDlg and gives
// the owner back its input.  A WM_QUIT met meanwhile ends the run and is
// posted again for the program's own loop.
void runModal(HWND hDlg, HWND hOwner, const bool& done);
