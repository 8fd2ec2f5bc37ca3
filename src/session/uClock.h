// The session's waits go through a clock, so tests run whole sessions with a
// fake one that only counts the milliseconds.
#pragma once

#include <cstdint>

class IClock {
public:
    virtual ~IClock() = default;
    virtual void sleepMs(int ms) = 0;
    // Milliseconds on a monotonic scale.
    virtual std::int64_t nowMs() = 0;
};

// The real clock.
IClock& systemClock();
