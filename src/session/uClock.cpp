#include "session/uClock.h"

#include "platform/uLocalTime.h"

#include <algorithm>
#include <chrono>
#include <thread>

bool IClock::waitMs(int ms, const std::atomic<bool>& cancel) {
    const std::int64_t end = nowMs() + ms;
    for (;;) {
        if (cancel.load()) return false;
        const std::int64_t left = end - nowMs();
        if (left <= 0) return true;
        sleepMs(static_cast<int>(std::min<std::int64_t>(left, cCancelPollMs)));
    }
}

std::tm IClock::localNow() {
    return localTime(std::time(nullptr));
}

namespace {

class TSystemClock final : public IClock {
  public:
    void sleepMs(int ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
    std::int64_t nowMs() override {
        using namespace std::chrono;
        return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    }
};

} // namespace

IClock& systemClock() {
    static TSystemClock clock;
    return clock;
}
