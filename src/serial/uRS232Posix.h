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

// The device file of a port name: a name that does not begin with "/" lies
// under /dev ("ttyUSB0" and "pts/3" are /dev/ttyUSB0 and /dev/pts/3); a name
// that does is the path itself.
std::string devicePath(const std::string& sPort);

TPosixOpenResult openPosixPort(const std::string& sPort, int iBaud);
