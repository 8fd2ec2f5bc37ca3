// On Windows the main window learns of arriving and leaving ports from the
// WM_DEVICECHANGE message (isPortChange in uPortList), which every top-level
// window receives; the watcher has nothing to listen to and stays silent.
#include "serial/uPortWatcher.h"

struct TPortWatcher::TImpl {};

TPortWatcher::TPortWatcher() : FImpl(std::make_unique<TImpl>()) {}
TPortWatcher::~TPortWatcher() = default;

bool TPortWatcher::start() {
    return false;
}

int TPortWatcher::fd() const {
    return -1;
}

bool TPortWatcher::isPortChange() {
    return false;
}
