// The command-line updater's notification sink: the session threads of every
// port post, the CLI's thread pops.  post() never blocks for long, as a posted
// window message would not.
#pragma once

#include "session/uNotify.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>

// A notification and the port (its index in the run) whose session posted it.
struct TTaggedNotification {
    int port = 0;
    TNotification n;
};

class TNotifyQueue {
  public:
    void post(int port, const TNotification& n);
    // The next notification, or nothing when none came within the wait.
    std::optional<TTaggedNotification> popFor(std::chrono::milliseconds wait);

  private:
    std::mutex FMutex;
    std::condition_variable FArrived;
    std::deque<TTaggedNotification> FQueue;
};

// The sink one port's sessions post to.
class TTaggedSink final : public INotifySink {
  public:
    TTaggedSink(TNotifyQueue& queue, int port) : FQueue(queue), FPort(port) {}
    void post(const TNotification& n) override { FQueue.post(FPort, n); }

  private:
    TNotifyQueue& FQueue;
    int FPort;
};
