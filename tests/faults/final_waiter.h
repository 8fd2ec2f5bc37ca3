// A front end's end of a session as a test needs it: every notification in
// order, and a wait for the final ones with a limit, so that a session that
// hangs fails the test instead of stopping it.
#pragma once

#include "session/uNotify.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <vector>

class TFinalWaiter final : public INotifySink {
  public:
    void post(const TNotification& n) override {
        {
            std::lock_guard lock(FMutex);
            FAll.push_back(n);
        }
        FChanged.notify_all();
    }
    // Waits until n final notifications have arrived in all.
    bool waitForFinals(int n, std::chrono::milliseconds limit) {
        std::unique_lock lock(FMutex);
        return FChanged.wait_for(lock, limit, [&] { return countFinals(FAll) >= n; });
    }
    std::vector<TNotification> all() const {
        std::lock_guard lock(FMutex);
        return FAll;
    }
    int finals() const {
        std::lock_guard lock(FMutex);
        return countFinals(FAll);
    }

  private:
    static int countFinals(const std::vector<TNotification>& v) {
        return static_cast<int>(std::count_if(v.begin(), v.end(), [](const TNotification& n) {
            return isFinalNotification(n.kind);
        }));
    }

    mutable std::mutex FMutex;
    std::condition_variable FChanged;
    std::vector<TNotification> FAll;
};
