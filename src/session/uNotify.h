// Notifications: what a session tells its front end, as a kind and a value.
// The session posts them and never waits; the front end renders them in
// order.  Every session ends with exactly one of cNT_DONE, cNT_ABORT and
// cNT_REPEAT_COMM, posted after the port is closed.
#pragma once

#include <cstdint>

inline constexpr std::uint32_t cNT_DONE = 0;             // value: the session's TCmd
inline constexpr std::uint32_t cNT_PROGRESS = 1;         // percent 1..99
inline constexpr std::uint32_t cNT_ABORT = 10;           // reason code (0: not an EVorn)
inline constexpr std::uint32_t cNT_PROG_ERROR_LINE = 11; // line whose echo differs
inline constexpr std::uint32_t cNT_CONV_ERROR_LINE = 12; // line that does not convert
inline constexpr std::uint32_t cNT_REPEAT_COMM = 13;     // value: the session's TCmd
inline constexpr std::uint32_t cNT_CLASS = 20;
inline constexpr std::uint32_t cNT_VERSION = 21; // major << 8 | minor
inline constexpr std::uint32_t cNT_PLATFORM = 22;
inline constexpr std::uint32_t cNT_PRINT = 23;
inline constexpr std::uint32_t cNT_INFO = 24;
inline constexpr std::uint32_t cNT_UPDATE_CLASS = 25;
inline constexpr std::uint32_t cNT_UPDATE_IMAGE = 26; // value: the session's TCmd
inline constexpr std::uint32_t cNT_CHECK_IMAGE = 27;  // catalog slot about to be compared
inline constexpr std::uint32_t cNT_UPDATE_INFO = 28;
inline constexpr std::uint32_t cNT_VECTOR_TABLE = 40; // 0 held back, 1 written

struct TNotification {
    std::uint32_t kind = 0;
    std::int32_t value = 0;
    bool operator==(const TNotification&) const = default;
};

inline bool isFinalNotification(std::uint32_t kind) {
    return kind == cNT_DONE || kind == cNT_ABORT || kind == cNT_REPEAT_COMM;
}

// Where a session posts its notifications.  post() must not block: the GUI
// turns it into a posted event, the CLI into a queue entry.
class INotifySink {
  public:
    virtual ~INotifySink() = default;
    virtual void post(const TNotification& n) = 0;
};
