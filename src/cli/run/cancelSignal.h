// The requests to stop from outside are "Cancel": Ctrl-C (SIGINT), SIGTERM
// (a supervisor, `timeout`, a shutdown) and SIGHUP (a closed terminal or a
// dropped remote login); on Windows Ctrl-C, Ctrl-Break and the closing of
// the console window, the log-off and the shutdown.  The first one sets the
// cancel flag of every session that runs (cancelFlags.h), so each session
// stops before its next exchange with its logger and releases its port, and
// the run loop's flag, so that it tells the operator, cancels the restarts
// that wait and writes the summary and the log files' result lines.
//
// A second request ends the program at once, by that signal (a shell shows
// 128 + its number: 130 for Ctrl-C, 143 for SIGTERM); on Windows with 130.  A hangup or a
// closing window is not such a request but news that the terminal went away;
// it may come more than once (from the system and from the shell), and a
// repeated one leaves the cancel to finish.
#pragma once

#include <atomic>

// Installs the handlers; interrupted is the run loop's flag and must live
// until the program ends.  Also keeps a closed output pipe from ending the
// program (POSIX).
void installCancelHandler(std::atomic<bool>& interrupted);

// How long Windows lets the program end after the console window was closed,
// the user logged off or the system shuts down: the handler holds the program
// this long at most while the sessions stop and the run writes its summary
// and log files; the program's own end comes first.
inline constexpr int cSystemEndWaitMs = 20000;
