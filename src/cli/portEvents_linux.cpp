// Hot-plug events from the udev monitor; without udev, a rescan a second.
#include "cli/portArrivals.h"
#include "serial/uPortWatcher.h"

#include <poll.h>

struct TPortEvents::TImpl {
    TPortWatcher watcher;
    bool watching = false;
    bool first = true;
    long long lastScan = 0;
};

TPortEvents::TPortEvents() : FImpl(std::make_unique<TImpl>()) {
    FImpl->watching = FImpl->watcher.start();
}

TPortEvents::~TPortEvents() = default;

bool TPortEvents::due(long long nowMs) {
    bool due = FImpl->first;
    FImpl->first = false;
    if (FImpl->watching) {
        pollfd p{FImpl->watcher.fd(), POLLIN, 0};
        while (::poll(&p, 1, 0) > 0 && (p.revents & POLLIN))
            due = FImpl->watcher.isPortChange() || due;
    } else if (nowMs - FImpl->lastScan >= cPortRescanMs) {
        due = true;
    }
    if (due) FImpl->lastScan = nowMs;
    return due;
}
