// The command-line updater's notification sink: the session thread posts,
// the main thread pops.  post() never blocks for long, as a posted window
// message would not.
#pragma once

#include "session/uNotify.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>

class TNotifyQueue final : public INotifySink {
  public:
    void post(const TNotification& n) override;
    // The next notification, or nothing when none came within the wait.
    std::optional<TNotification> popFor(std::chrono::milliseconds wait);

  private:
    std::mutex FMutex;
    std::condition_variable FArrived;
    std::deque<TNotification> FQueue;
};
