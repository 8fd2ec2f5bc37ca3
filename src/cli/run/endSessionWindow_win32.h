// The end of the user's Windows session (log-off, shutdown) for a console
// program that loads user32, as tarvek2-cli does for the port watcher's
// window: Windows then tells it only through the top-level windows'
// WM_QUERYENDSESSION and WM_ENDSESSION, and no longer through the console's
// control handler (CTRL_LOGOFF_EVENT, CTRL_SHUTDOWN_EVENT).
#pragma once

// Starts a thread with a hidden top-level window of its own.  When the
// session ends, onEnd runs on that thread, which then holds Windows' wait
// for the answer for at most holdMs, so that the program ends on its own
// first, with its summary and log files written.
void watchEndOfUserSession(void (*onEnd)(), int holdMs);
