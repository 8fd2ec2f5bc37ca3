// Hot-plug events of serial ports on Linux, for refreshing the port box: the
// counterpart of the device-change message elsewhere.  The front end watches
// fd() for readability and calls isPortChange() each time it is readable.
#pragma once

#include <memory>

class TPortWatcher {
  public:
    TPortWatcher();
    ~TPortWatcher();
    TPortWatcher(const TPortWatcher&) = delete;
    TPortWatcher& operator=(const TPortWatcher&) = delete;

    // Starts listening for tty devices that are added or removed.  False when
    // the system offers no such events (no udev); the watcher then stays
    // silent.
    bool start();
    // The descriptor that becomes readable when an event is pending; -1 when
    // not started.
    int fd() const;
    // Reads one pending event without waiting: true when a tty device was
    // added or removed.
    bool isPortChange();

  private:
    struct TImpl;
    std::unique_ptr<TImpl> FImpl;
};
