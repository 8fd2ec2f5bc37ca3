// Internals of the termios backend, shared between the port opener and the
// explanation of a failed open.
#pragma once

#include "serial/uRS232.h"

#include <string>

// The step of opening at which a port failed.
enum class TOpenStep {
    Done,       // the port is open
    Name,       // empty port name
    Open,       // open(2) of the device file
    Lock,       // another opener holds the port (flock)
    Exclusive,  // TIOCEXCL refused
    Terminal,   // not a terminal: tcgetattr refused
    Settings,   // the line settings were refused or did not stick
    ModemLines, // DTR/RTS could not be set
};

struct TPosixOpenResult {
    TPortHandle hPort;                // the open port, or empty
    TOpenStep step = TOpenStep::Done; // where it failed
    int err = 0;                      // errno of the failed call
    std::string sPath;                // the device file that was tried
};

// "/dev/" + sPort for a name without "/", else sPort itself.
std::string devicePath(const std::string& sPort);

TPosixOpenResult openPosixPort(const std::string& sPort, int iBaud);
