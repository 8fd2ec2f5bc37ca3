// A clock that only counts: sleeps advance it at once.
#pragma once

#include "session/uClock.h"

#include <atomic>
#include <cstdint>
#include <ctime>
#include <functional>
#include <utility>
#include <vector>

class TFakeClock final : public IClock {
  public:
    void sleepMs(int ms) override {
        sleeps.push_back(ms);
        now += ms;
    }
    // A wait runs the test's action when it reaches actionAtMs (the
    // operator's "Cancel" at that moment, say) and ends there when the
    // cancel flag is set; the part it waited is noted in sleeps.
    bool waitMs(int ms, const std::atomic<bool>& cancel) override {
        if (waitStarting) waitStarting(ms);
        if (cancel.load()) {
            sleeps.push_back(0);
            return false;
        }
        const std::int64_t start = now;
        if (action && actionAtMs >= start && actionAtMs < start + ms) {
            now = actionAtMs;
            std::exchange(action, nullptr)();
            if (cancel.load()) {
                sleeps.push_back(static_cast<int>(now - start));
                return false;
            }
        }
        now = start + ms;
        sleeps.push_back(ms);
        return true;
    }
    std::int64_t nowMs() override { return now; }
    void advance(std::int64_t ms) { now += ms; }
    // The wall clock moves with the counted time, from wallStartS seconds
    // after midnight.
    std::tm localNow() override {
        const std::int64_t s = wallStartS + now.load() / 1000;
        std::tm t{};
        t.tm_hour = static_cast<int>(s / 3600 % 24);
        t.tm_min = static_cast<int>(s / 60 % 60);
        t.tm_sec = static_cast<int>(s % 60);
        return t;
    }

    std::atomic<std::int64_t> now{0};
    std::int64_t wallStartS = 7 * 3600 + 6 * 60 + 45; // 07:06:45
    std::vector<int> sleeps;
    std::int64_t actionAtMs = -1;
    std::function<void()> action;
    // Called as every wait begins, with its length.
    std::function<void(int)> waitStarting;
};
