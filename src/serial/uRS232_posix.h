// Internals of the termios backend, open to its tests: the device file of a
// port name, the open with its cause, and a port on a descriptor with the
// driver's output queue handed in, so that a stalled driver can be played.
#pragma once

#include "serial/uPortProblem.h"
#include "serial/uRS232.h"

#include <cstddef>
#include <functional>
#include <string>

// The device file of a port name: a name that does not begin with "/" lies
// under /dev ("ttyUSB0" and "pts/3" are /dev/ttyUSB0 and /dev/pts/3); a name
// that does is the path itself.
std::string devicePath(const std::string& sPort);

// Opens and configures the port; on failure the empty handle, and problem
// tells why (read at the failing call).
TPortHandle openPosixPort(const std::string& sPort, int iBaud, TPortProblem& problem);

// The time n bytes take on the line at iBaud (start bit, 8 data bits, stop
// bit), rounded up to whole milliseconds.
int lineTimeMs(std::size_t n, int iBaud);
// How long a write of n bytes may take before it counts as failed: the read
// rule's 200 + n ms, plus the time the bytes take on the line.
int writeDeadlineMs(std::size_t n, int iBaud);

// How many bytes the driver still has to send; false when it cannot tell.
using TOutputQueue = std::function<bool(int fd, std::size_t& queued)>;
// The driver's own count: the output queue (TIOCOUTQ), and one byte more
// while the transmitter is not yet empty, where the driver tells that.
bool driverOutputQueue(int fd, std::size_t& queued);

// A port on an open, configured descriptor, which it takes over.
TPortHandle makePosixPort(int fd, int iBaud, TOutputQueue outputQueue = driverOutputQueue);
