#include "cli/run/hotPlugFallback.h"

#ifdef __linux__
#include <unistd.h>
#endif

namespace {

// Why the system tells of no port changes, where that can be told; empty
// otherwise.
std::string whyNoEvents() {
#ifdef __linux__
    // The udev daemon makes this socket while it runs; without the daemon
    // (as in many containers) nobody passes the kernel's events on.
    if (::access("/run/udev/control", F_OK) != 0) return "the udev daemon does not run";
#endif
    return {};
}

std::string every(int ms) {
    if (ms % 1000 == 0) return std::to_string(ms / 1000) + " s";
    return std::to_string(ms) + " ms";
}

} // namespace

std::string hotPlugFallbackNote(int rescanMs) {
    const std::string why = whyNoEvents();
    return "tarvek2-cli: no hot-plug events come" + (why.empty() ? "" : " (" + why + ")") +
           ", so the USB serial ports are read again every " + every(rescanMs) + ".\n";
}
