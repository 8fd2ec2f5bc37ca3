#include "cli/run/notifyQueue.h"

void TNotifyQueue::post(int port, const TNotification& n) {
    {
        std::lock_guard lock(FMutex);
        FQueue.push_back({port, n});
    }
    FArrived.notify_one();
}

std::optional<TTaggedNotification> TNotifyQueue::popFor(std::chrono::milliseconds wait) {
    std::unique_lock lock(FMutex);
    if (!FArrived.wait_for(lock, wait, [this] { return !FQueue.empty(); })) return std::nullopt;
    const TTaggedNotification n = FQueue.front();
    FQueue.pop_front();
    return n;
}
