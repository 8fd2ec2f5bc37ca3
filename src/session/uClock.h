// The session's waits go through a clock, so tests run whole sessions with a
// fake one that only counts the milliseconds.
#pragma once

#include <atomic>
#include <cstdint>
#include <ctime>

class IClock {
  public:
    virtual ~IClock() = default;
    virtual void sleepMs(int ms) = 0;
    // A wait that a cancel cuts short: returns true when the whole ms passed,
    // false as soon as cancel is set (at once when it is set already).  The
    // default looks at the flag every cCancelPollMs on this clock.
    virtual bool waitMs(int ms, const std::atomic<bool>& cancel);
    // Milliseconds on a monotonic scale.
    virtual std::int64_t nowMs() = 0;
    // The local wall-clock time, for the time stamps of the report; the
    // default reads the system's.
    virtual std::tm localNow();
};

// How often a wait looks at the cancel flag.
inline constexpr int cCancelPollMs = 10;

// The real clock.
IClock& systemClock();
