#include "session/uClock.h"

#include <chrono>
#include <thread>

namespace {

class TSystemClock final : public IClock {
public:
    void sleepMs(int ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
    std::int64_t nowMs() override
    {
        using namespace std::chrono;
        return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    }
};

} // namespace

IClock& systemClock()
{
    static TSystemClock clock;
    return clock;
}
