// The hot-plug events of Linux: the udev monitor, which tells of every tty
// device that udev has added or removed.  Events come only while the udev
// daemon runs (a container often has none); without it, or without libudev,
// the source offers nothing and the watcher reads the port list itself.
#include "serial/uPortWatcher.h"

#ifdef TARVEK2_HAVE_LIBUDEV

#include <cstring>
#include <libudev.h>
#include <utility>

namespace {

// The monitor socket is non-blocking, so taking the pending events never
// waits.
class TUdevPortEvents final : public IPortEvents {
  public:
    ~TUdevPortEvents() override {
        if (FhMonitor) udev_monitor_unref(FhMonitor);
        if (FhUdev) udev_unref(FhUdev);
    }

    bool start(std::function<void()>) override {
        FhUdev = udev_new();
        if (!FhUdev || !daemonRuns()) return false;
        FhMonitor = udev_monitor_new_from_netlink(FhUdev, "udev");
        if (!FhMonitor) return false;
        if (udev_monitor_filter_add_match_subsystem_devtype(FhMonitor, "tty", nullptr) < 0 ||
            udev_monitor_enable_receiving(FhMonitor) < 0) {
            udev_monitor_unref(std::exchange(FhMonitor, nullptr));
            return false;
        }
        return true;
    }

    int fd() const override { return FhMonitor ? udev_monitor_get_fd(FhMonitor) : -1; }

    bool takePortChange() override {
        if (!FhMonitor) return false;
        bool change = false;
        while (udev_device* device = udev_monitor_receive_device(FhMonitor)) {
            const char* action = udev_device_get_action(device);
            change =
                change ||
                (action && (std::strcmp(action, "add") == 0 || std::strcmp(action, "remove") == 0));
            udev_device_unref(device);
        }
        return change;
    }

    bool tellsEveryChange() const override { return true; }

  private:
    // The monitor hears what the udev daemon passes on; without the daemon
    // it would listen to silence.
    bool daemonRuns() const {
        udev_queue* queue = udev_queue_new(FhUdev);
        const bool runs = queue && udev_queue_get_udev_is_active(queue) > 0;
        if (queue) udev_queue_unref(queue);
        return runs;
    }

    udev* FhUdev = nullptr;
    udev_monitor* FhMonitor = nullptr;
};

} // namespace

std::unique_ptr<IPortEvents> makePortEvents() {
    return std::make_unique<TUdevPortEvents>();
}

#else // no libudev: no events

std::unique_ptr<IPortEvents> makePortEvents() {
    return nullptr;
}

#endif
