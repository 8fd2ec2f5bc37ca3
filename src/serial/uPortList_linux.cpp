// The virtual COM ports of a Linux machine are its USB serial ports
// (ttyUSB*, ttyACM* and the other USB serial drivers).  They are found in
// sysfs: every tty has an entry in /sys/class/tty, and a tty that belongs to
// hardware has a "device" link into the device tree.  Walking up that tree
// from the device, a USB serial port meets a device of subsystem "usb" (its
// interface); a built-in port (ttyS*) meets "platform" or "pnp" instead, and
// the virtual terminals have no device at all.
//
// The list keeps the order of the sysfs directory listing, as the system
// gives it: like the order of the serial device map elsewhere, it is not
// sorted.
#include "serial/uPortList_linux.h"
#include "serial/uPortList.h"

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

std::string subsystemOf(const fs::path& device) {
    std::error_code ec;
    const fs::path target = fs::read_symlink(device / "subsystem", ec);
    return ec ? std::string() : target.filename().string();
}

bool hangsOnUsb(const fs::path& ttyEntry, const fs::path& devicesRoot) {
    std::error_code ec;
    fs::path device = fs::canonical(ttyEntry / "device", ec);
    if (ec) return false;
    while (!device.empty() && device != devicesRoot && device != device.root_path()) {
        if (subsystemOf(device) == "usb") return true;
        device = device.parent_path();
    }
    return false;
}

} // namespace

void getPortListFrom(const std::string& sysRoot, std::vector<std::string>& sl) {
    sl.clear();
    std::error_code ec;
    const fs::path devicesRoot = fs::weakly_canonical(fs::path(sysRoot) / "devices", ec);
    // Error codes throughout: a tree that changes under our feet (a port
    // pulled out while we look) shortens the list, it never throws.
    fs::directory_iterator it(fs::path(sysRoot) / "class" / "tty", ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        if (hangsOnUsb(it->path(), devicesRoot))
            sl.push_back("/dev/" + it->path().filename().string());
    }
}

void getPortList(std::vector<std::string>& sl) {
    getPortListFrom("/sys", sl);
}
