// Collects a session's notifications in order.
#pragma once

#include "session/uNotify.h"

#include <algorithm>
#include <mutex>
#include <vector>

class TNotifyRecorder final : public INotifySink {
  public:
    void post(const TNotification& n) override {
        std::lock_guard lock(mutex);
        all.push_back(n);
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
        const auto s = snapshot();
        return static_cast<int>(std::count_if(s.begin(), s.end(), [](const TNotification& n) {
            return isFinalNotification(n.kind);
        }));
    }
    TNotification last() const { return snapshot().back(); }

    mutable std::mutex mutex;
    std::vector<TNotification> all;
};
