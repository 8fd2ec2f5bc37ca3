// The session's exception and its reason codes.  Every failure inside a
// session is raised as an EVorn and caught once, at the top of the session
// thread, which turns the reason into the final notification.
#pragma once

#include <stdexcept>
#include <string>

inline constexpr int cEX_PORT_NOT_READY = 10; // port cannot be opened or configured
inline constexpr int cEX_PORT_IO = 11;        // a port call failed, or a record was written short
inline constexpr int cEX_CANCELLED = 20;      // the operator cancelled before an attempt
inline constexpr int cEX_COMM_ERROR = 30;     // five attempts without a valid answer
inline constexpr int cEX_NO_UPDATE = 40;      // not our logger, or it did not enter its bootloader
inline constexpr int cEX_LOGGER_NOT_READY = 41; // a valid answer frame with status bit 5 set
inline constexpr int cEX_LAST_LINE = 42;        // image has no data lines or no end line
inline constexpr int cEX_CONVERSION = 43;       // an image line does not convert
inline constexpr int cEX_PROG_REPEAT = 44;      // the echo of a record differs from the record
inline constexpr int cEX_UPDATE_FAILED =
    45; // the restarted logger does not report the image's class
inline constexpr int cEX_INVALID_ANSWER = 46; // an identity query got no valid answer
inline constexpr int cEX_UPID_MISMATCH = 47;  // no image fits the logger
inline constexpr int cEX_INFO_ONLY = 70;      // read-info-only stop after the image choice

class EVorn : public std::runtime_error {
  public:
    explicit EVorn(int iException_) : std::runtime_error(""), iException(iException_) {}
    EVorn(int iException_, const std::string& sMsg)
        : std::runtime_error(sMsg), iException(iException_) {}
    EVorn(int iException_, int iInfo)
        : std::runtime_error(std::to_string(iInfo)), iException(iException_) {}

    int iException;
};
