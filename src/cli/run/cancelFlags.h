// The cancel flags of the sessions that run now, where a signal handler (or
// Windows' console control handler) reaches them at once: a cancel then
// stops every session before its next exchange with its logger, not only
// when the run loop next looks at the signal.
//
// Each port of a run takes a flag for its controller's sessions and gives it
// back when the port ends.  The flags are never freed: a handler that walks
// them while a port ends stores to a flag that still exists, at worst to one
// nobody reads any more.  Given back, a flag is taken again by the next port.
#pragma once

#include <atomic>

struct TCancelFlagNode;

class TCancelFlag {
  public:
    TCancelFlag();  // takes a free flag (a new one when all are taken), cleared
    ~TCancelFlag(); // gives it back
    TCancelFlag(const TCancelFlag&) = delete;
    TCancelFlag& operator=(const TCancelFlag&) = delete;

    std::atomic<bool>& flag();

  private:
    TCancelFlagNode* FNode;
};

// Sets every flag that is taken.  Async-signal-safe: only lock-free atomic
// loads and stores, no allocation, no lock.
void raiseEveryCancelFlag() noexcept;
