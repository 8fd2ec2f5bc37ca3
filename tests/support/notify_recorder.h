// Collects a session's notifications in order, and waits for its final ones
// with a limit, so that a session that hangs fails the test instead of
// stopping it.
#pragma once

#include "session/uNotify.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <vector>

class TNotifyRecorder final : public INotifySink {
  public:
    void post(const TNotification& n) override {
        {
            std::lock_guard lock(mutex);
            all.push_back(n);
        }
        FChanged.notify_all();
    }
    std::vector<TNotification> snapshot() const {
        std::lock_guard lock(mutex);
        return all;
    }
    std::vector<TNotification> ofKind(std::uint32_t kind) const {
        std::vector<TNotification> out;
        for (const auto& n : snapshot())
            if (n.kind == kind) out.push_back(n);
        return out;
    }
    int finals() const {
        std::lock_guard lock(mutex);
        return countFinals();
    }
    TNotification last() const { return snapshot().back(); }
    // Waits until n final notifications have arrived in all; false when the
    // limit passed first.
    bool waitForFinals(int n, std::chrono::milliseconds limit) {
        std::unique_lock lock(mutex);
        return FChanged.wait_for(lock, limit, [&] { return countFinals() >= n; });
    }

    mutable std::mutex mutex;
    std::vector<TNotification> all;

  private:
    int countFinals() const {
        return static_cast<int>(std::count_if(all.begin(), all.end(), [](const TNotification& n) {
            return isFinalNotification(n.kind);
        }));
    }

    std::condition_variable FChanged;
};
