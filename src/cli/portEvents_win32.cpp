// The registry's serial device map, read again once a second: a console
// program has no window to receive the device-change broadcast.
#include "cli/portArrivals.h"

struct TPortEvents::TImpl {
    bool first = true;
    long long lastScan = 0;
};

TPortEvents::TPortEvents() : FImpl(std::make_unique<TImpl>()) {}

TPortEvents::~TPortEvents() = default;

bool TPortEvents::due(long long nowMs) {
    const bool due = FImpl->first || nowMs - FImpl->lastScan >= cPortRescanMs;
    FImpl->first = false;
    if (due) FImpl->lastScan = nowMs;
    return due;
}
