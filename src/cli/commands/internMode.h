// The internal (service) mode of tarvek2-cli: the same per-user switch as the
// desktop program's, read by the core (controller/uProgramOptions.h).  Only in
// internal mode may an operator write an image file or relax the session's
// safety checks.
#pragma once

#include "controller/uProgramOptions.h"

// Reads the switch of the current user.
inline bool isInternMode() {
    return readInternMode();
}
