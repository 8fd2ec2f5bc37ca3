// A byte trace of the serial line for service work: every byte written and
// read, with the time since the port was opened, one line per call:
//
//   +0.000 open COM5 9600
//   +0.012 TX 81 00 00 00 00 00 00 5A
//   +0.131 RX 01 00 66 21 02 08 00 C4
//   +0.452 RX (0 of 8, time-out)
//
// The trace wraps the real port and passes every call through unchanged.
#pragma once

#include "serial/uRS232.h"

#include <cstddef>
#include <cstdint>
#include <string>

// The environment variable that switches the trace on: a file path, or "-"
// for standard error.
inline constexpr const char* cPortTraceVariable = "TARVEK2_TRACE";

// Wraps hPort in a tracing port that writes to sTarget ("-" is standard
// error, anything else a file that is appended to).  If the target cannot be
// opened the port is returned unwrapped: the trace never stops a session.
TPortHandle wrapWithTrace(TPortHandle hPort, const std::string& sPort, int iBaud,
                          const std::string& sTarget);

// One trace line without its time stamp: "TX 81 00", "RX 01 (1 of 8, time-out)".
std::string formatTraceBytes(const char* sDirection, const std::uint8_t* data, std::size_t n,
                             std::size_t nAsked);
