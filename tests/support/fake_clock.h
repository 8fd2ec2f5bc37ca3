// A clock that only counts: sleeps advance it at once.
#pragma once

#include "session/uClock.h"

#include <atomic>
#include <cstdint>
#include <vector>

class TFakeClock final : public IClock {
public:
    void sleepMs(int ms) override
    {
        sleeps.push_back(ms);
        now += ms;
    }
    std::int64_t nowMs() override { return now; }
    void advance(std::int64_t ms) { now += ms; }

    std::atomic<std::int64_t> now{0};
    std::vector<int> sleeps;
};
