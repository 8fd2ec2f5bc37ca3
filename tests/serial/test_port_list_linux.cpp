// Port discovery from sysfs, and the hot-plug watcher.
#include "serial/uPortList.h"
#include "serial/uPortList_linux.h"
#include "serial/uPortWatcher.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

// A small sysfs tree: class/tty entries link into the device tree, each
// device names its subsystem by a link into bus/ or class/.
class FakeSysfs : public ::testing::Test {
  protected:
    fs::path root;

    void SetUp() override {
        std::string tmpl = (fs::temp_directory_path() / "tarvek2-sysfs-XXXXXX").string();
        ASSERT_NE(::mkdtemp(tmpl.data()), nullptr);
        root = tmpl;
        for (const char* bus :
             {"bus/usb", "bus/usb-serial", "bus/pci", "bus/platform", "bus/pnp", "class/tty"})
            fs::create_directories(root / bus);
    }
    void TearDown() override { fs::remove_all(root); }

    // A device directory with its subsystem link.
    fs::path device(const std::string& rel, const char* subsystem) {
        const fs::path dir = root / "devices" / rel;
        fs::create_directories(dir);
        if (subsystem) fs::create_directory_symlink(root / subsystem, dir / "subsystem");
        return dir;
    }

    // A tty under a parent device, listed in class/tty.
    void tty(const std::string& name, const fs::path* parent) {
        const fs::path dir = parent ? *parent / "tty" / name : root / "devices/virtual/tty" / name;
        fs::create_directories(dir);
        fs::create_directory_symlink(root / "class/tty", dir / "subsystem");
        if (parent) fs::create_directory_symlink(*parent, dir / "device");
        fs::create_directory_symlink(dir, root / "class/tty" / name);
    }
};

TEST_F(FakeSysfs, OffersOnlyTtysOnAUsbDevice) {
    const std::string usb = "pci0000:00/0000:00:14.0/usb1";
    device("pci0000:00/0000:00:14.0", "bus/pci");
    device(usb, "bus/usb");
    device(usb + "/1-1", "bus/usb");
    device(usb + "/1-1/1-1:1.0", "bus/usb");
    // FTDI-like adapter: tty under a usb-serial port under the interface.
    const fs::path usbSerial = device(usb + "/1-1/1-1:1.0/ttyUSB0", "bus/usb-serial");
    tty("ttyUSB0", &usbSerial);
    // CDC ACM: tty straight under the interface.
    device(usb + "/1-2", "bus/usb");
    const fs::path acm = device(usb + "/1-2/1-2:1.0", "bus/usb");
    tty("ttyACM0", &acm);
    // Built-in ports: platform, PnP, a PCI card.
    const fs::path uart = device("platform/serial8250", "bus/platform");
    tty("ttyS0", &uart);
    const fs::path pnp = device("pnp0/00:04", "bus/pnp");
    tty("ttyS1", &pnp);
    const fs::path card = device("pci0000:00/0000:00:16.3", "bus/pci");
    tty("ttyS4", &card);
    // Virtual terminals have no device.
    tty("tty0", nullptr);
    tty("console", nullptr);
    // A port pulled out while we look: its device link leads nowhere.
    const fs::path gone = device(usb + "/1-3/1-3:1.0/ttyUSB1", "bus/usb-serial");
    tty("ttyUSB1", &gone);
    fs::remove_all(root / "devices" / usb / "1-3");

    std::vector<std::string> sl = {"stale entry"};
    getPortListFrom(root.string(), sl);
    std::sort(sl.begin(), sl.end()); // the listing order is the file system's
    EXPECT_EQ(sl, (std::vector<std::string>{"/dev/ttyACM0", "/dev/ttyUSB0"}));
}

TEST_F(FakeSysfs, MissingTreeGivesEmptyList) {
    std::vector<std::string> sl = {"stale entry"};
    getPortListFrom((root / "no-such-sys").string(), sl);
    EXPECT_TRUE(sl.empty());
    getPortListFrom(root.string(), sl); // class/tty without entries
    EXPECT_TRUE(sl.empty());
}

TEST(PortList, MachineListHoldsDeviceFilesOnly) {
    std::vector<std::string> sl = {"stale entry"};
    getPortList(sl);
    for (const std::string& s : sl)
        EXPECT_EQ(s.rfind("/dev/", 0), 0u) << s;
}

// The machine's own source: udev where its daemon runs, else the rescan.
TEST(PortWatcher, MachineSourceNeverWaits) {
    TPortWatcher watcher;
    if (watcher.start() == TPortWatchMode::events) {
        EXPECT_GE(watcher.fd(), 0);
        EXPECT_EQ(watcher.rescanEveryMs(), 0) << "udev tells of every tty";
    } else {
        EXPECT_EQ(watcher.fd(), -1);
        EXPECT_EQ(watcher.rescanEveryMs(), cPortRescanMs);
    }
    const auto t0 = std::chrono::steady_clock::now();
    watcher.changed(0);
    watcher.changed(cPortRescanMs);
    EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(1));
}

} // namespace
