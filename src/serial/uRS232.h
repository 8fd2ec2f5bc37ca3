// Serial port access for the logger line: 9600 baud, 8 data bits, no parity,
// one stop bit, no flow control, DTR on and RTS off while open, exclusive.
//
// A port is a narrow interface that the session drives; the platform backend
// (termios or Win32) is chosen at build time, and tests use in-memory fakes.
#pragma once

#include "serial/uPortProblem.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class IPort {
  public:
    virtual ~IPort() = default;

    // Clears the port's error state (ClearCommError).  False when the call fails.
    virtual bool clearError() = 0;
    // Discards both the transmit and the receive buffer (PurgeComm).
    virtual bool purge() = 0;
    // Writes n bytes and returns once they have left; written gets the count
    // written.  False when the call fails, or when the bytes do not leave the
    // driver in time.  A write of n bytes may take n ms.
    virtual bool write(const std::uint8_t* data, std::size_t n, std::size_t& written) = 0;
    // Reads up to n bytes: returns the moment n bytes are in, or after
    // 200 + n ms with what arrived by then (possibly nothing).  A short count
    // is a time-out, not an error; false only when the call itself fails.
    virtual bool read(std::uint8_t* data, std::size_t n, std::size_t& got) = 0;
    // Releases the port so that it can be opened again at once.
    virtual void close() = 0;
};

// The open port; an empty pointer is the invalid handle.
using TPortHandle = std::unique_ptr<IPort>;

// Opens and configures the port; the invalid handle on any failure (the port
// is then not held), and problem tells why, as found at the failing call.
// On POSIX a name without a leading "/" gets "/dev/" in front ("ttyUSB0",
// "pts/3"); on Windows every name gets "\\.\" in front.
TPortHandle openPort(const std::string& sPort, int iBaud, TPortProblem& problem);
// The same without the cause.
TPortHandle openPort(const std::string& sPort, int iBaud);

// Closes the handle (if open) and leaves it invalid.
void closePort(TPortHandle& hPort);

// How sessions open their port; tests hand in fakes.  An opener that fails
// returns the empty handle and fills in problem.
using TPortOpener =
    std::function<TPortHandle(const std::string& sPort, int iBaud, TPortProblem& problem)>;
// openPort as an opener.
TPortOpener systemPortOpener();

// Read time-out rule of the line: 200 ms plus 1 ms per byte asked for.
inline constexpr int cReadTimeoutConstantMs = 200;
inline constexpr int cReadTimeoutPerByteMs = 1;
inline int readTimeoutMs(std::size_t n) {
    return cReadTimeoutConstantMs + cReadTimeoutPerByteMs * static_cast<int>(n);
}
