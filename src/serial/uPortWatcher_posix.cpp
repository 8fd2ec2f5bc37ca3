// Hot-plug events of tty devices from udev; without libudev the watcher
// stays silent and the port list is refreshed on demand only.
#include "serial/uPortWatcher.h"

#ifdef TARVEK2_HAVE_LIBUDEV

#include <cstring>
#include <libudev.h>

// The udev monitor socket is non-blocking, so reading a pending event never
// waits.
struct TPortWatcher::TImpl {
    udev* hUdev = nullptr;
    udev_monitor* hMonitor = nullptr;

    ~TImpl() {
        if (hMonitor) udev_monitor_unref(hMonitor);
        if (hUdev) udev_unref(hUdev);
    }
};

TPortWatcher::TPortWatcher() : FImpl(std::make_unique<TImpl>()) {}
TPortWatcher::~TPortWatcher() = default;

bool TPortWatcher::start() {
    if (FImpl->hMonitor) return true;
    auto impl = std::make_unique<TImpl>();
    impl->hUdev = udev_new();
    if (!impl->hUdev) return false;
    impl->hMonitor = udev_monitor_new_from_netlink(impl->hUdev, "udev");
    if (!impl->hMonitor) return false;
    if (udev_monitor_filter_add_match_subsystem_devtype(impl->hMonitor, "tty", nullptr) < 0 ||
        udev_monitor_enable_receiving(impl->hMonitor) < 0)
        return false;
    FImpl = std::move(impl);
    return true;
}

int TPortWatcher::fd() const {
    return FImpl->hMonitor ? udev_monitor_get_fd(FImpl->hMonitor) : -1;
}

bool TPortWatcher::isPortChange() {
    if (!FImpl->hMonitor) return false;
    udev_device* device = udev_monitor_receive_device(FImpl->hMonitor);
    if (!device) return false;
    const char* action = udev_device_get_action(device);
    const bool bChange =
        action && (std::strcmp(action, "add") == 0 || std::strcmp(action, "remove") == 0);
    udev_device_unref(device);
    return bChange;
}

#else // no libudev: no events

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

#endif
