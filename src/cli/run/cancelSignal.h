// Ctrl-C is "Cancel": the first one sets the session's cancel flag, so the
// session ends with "Process cancelled!" before its next exchange and
// releases the port; a second one ends the program at once (exit status 130).
#pragma once

#include <atomic>

// Also keeps a closed output pipe from ending the program (POSIX).  The flag
// must live until the program ends.
void installCancelHandler(std::atomic<bool>& bCancel);
