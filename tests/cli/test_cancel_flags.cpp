// The sessions' cancel flags that a signal handler reaches.
#include "cli/run/cancelFlags.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

namespace {

TEST(CancelFlags, ARaiseReachesEveryTakenFlagAndAFlagTakenAgainStartsClear) {
    auto first = std::make_unique<TCancelFlag>();
    TCancelFlag second;
    EXPECT_FALSE(first->flag());
    raiseEveryCancelFlag();
    EXPECT_TRUE(first->flag());
    EXPECT_TRUE(second.flag());
    first.reset();
    TCancelFlag third; // takes the flag given back, cleared
    EXPECT_FALSE(third.flag());

    // Ports that start and end while raises come: every flag taken is
    // reached, and a flag is never freed under a raise (ThreadSanitizer and
    // AddressSanitizer would tell).
    std::atomic<bool> done{false};
    std::thread raiser([&] {
        while (!done)
            raiseEveryCancelFlag();
    });
    std::vector<std::thread> ports;
    for (int t = 0; t < 4; ++t)
        ports.emplace_back([] {
            for (int i = 0; i < 500; ++i) {
                TCancelFlag mine;
                while (!mine.flag())
                    std::this_thread::yield();
            }
        });
    for (auto& p : ports)
        p.join();
    done = true;
    raiser.join();
}

} // namespace
