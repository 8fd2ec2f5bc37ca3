// "station": waits for loggers and updates each one that is plugged in, until
// Ctrl-C.  Every port that appears in the port list gets one update through
// its own controller; it is not updated again while it stays plugged in.
#pragma once

#include "cli/commands/sessionCommand.h"

// o: --log-dir and --max-restarts (no ports).  The exit status: 0, or 20 when
// Ctrl-C cancelled sessions that still ran.
int runStationCommand(const TUpdateOptions& o, TCommandEnv& env);
