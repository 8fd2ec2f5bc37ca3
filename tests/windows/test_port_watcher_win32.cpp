// The Windows source of the port watcher: its hidden top-level window hears
// WM_DEVICECHANGE as the system broadcasts it, to every top-level window of
// the thread, also in a program that has no window of its own.
#include "serial/uPortWatcher.h"

#include "platform/uWindows.h"
// after windows.h, which it needs
#include <dbt.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace {

using TDeviceChange = std::pair<WPARAM, LPARAM>;

BOOL CALLBACK sendDeviceChange(HWND h, LPARAM message) {
    const auto* m = reinterpret_cast<const TDeviceChange*>(message);
    SendMessageW(h, WM_DEVICECHANGE, m->first, m->second);
    return TRUE;
}

BOOL CALLBACK firstWindow(HWND h, LPARAM found) {
    *reinterpret_cast<HWND*>(found) = h;
    return FALSE;
}

// What the system does when a device arrives or goes: the message to every
// top-level window of the thread, hidden ones included.
void broadcastToThisThread(WPARAM event, DWORD deviceType) {
    DEV_BROADCAST_HDR header{};
    header.dbch_size = sizeof header;
    header.dbch_devicetype = deviceType;
    TDeviceChange message{event,
                          event == DBT_DEVNODES_CHANGED ? 0 : reinterpret_cast<LPARAM>(&header)};
    EnumThreadWindows(GetCurrentThreadId(), sendDeviceChange, reinterpret_cast<LPARAM>(&message));
}

TEST(PortWatcherWin32, HearsTheDeviceChangeBroadcastOfPortsOnly) {
    std::vector<std::string> ports{"COM5"};
    TPortWatcher watcher([&ports](std::vector<std::string>& sl) { sl = ports; });
    int wakes = 0;
    if (watcher.start([&] { ++wakes; }) == TPortWatchMode::rescan)
        GTEST_SKIP() << "no window can be made here (Wine without a display): the watcher rescans";
    EXPECT_EQ(watcher.fd(), -1);
    EXPECT_EQ(watcher.rescanEveryMs(), cPortRescanMs) << "not every driver announces its ports";
    EXPECT_FALSE(watcher.changed(0));

    struct Case {
        const char* what;
        WPARAM event;
        DWORD deviceType;
        bool change;
    };
    const std::vector<Case> cases{
        {"a port arrives", DBT_DEVICEARRIVAL, DBT_DEVTYP_PORT, true},
        {"a port is removed", DBT_DEVICEREMOVECOMPLETE, DBT_DEVTYP_PORT, true},
        {"a volume arrives", DBT_DEVICEARRIVAL, DBT_DEVTYP_VOLUME, false},
        {"a removal only pending", DBT_DEVICEREMOVEPENDING, DBT_DEVTYP_PORT, false},
        {"the device tree changed", DBT_DEVNODES_CHANGED, 0, false},
    };
    int expectedWakes = 0;
    for (const Case& c : cases) {
        broadcastToThisThread(c.event, c.deviceType);
        expectedWakes += c.change ? 1 : 0;
        EXPECT_EQ(wakes, expectedWakes) << c.what << ": woken at once";
        EXPECT_EQ(watcher.changed(10), c.change) << c.what;
        EXPECT_FALSE(watcher.changed(20)) << c.what << ": told once";
    }
}

// A console program has no message loop: the watcher's own look delivers
// what another thread (the system's broadcast) sends to its window.
TEST(PortWatcherWin32, AConsoleProgramHearsItWithoutAMessageLoop) {
    TPortWatcher watcher([](std::vector<std::string>& sl) { sl = {"COM5"}; });
    if (watcher.start() == TPortWatchMode::rescan)
        GTEST_SKIP() << "no window can be made here (Wine without a display): the watcher rescans";
    HWND hidden = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), firstWindow, reinterpret_cast<LPARAM>(&hidden));
    ASSERT_NE(hidden, nullptr);
    EXPECT_FALSE(IsWindowVisible(hidden));

    std::thread system([hidden] {
        DEV_BROADCAST_HDR header{};
        header.dbch_size = sizeof header;
        header.dbch_devicetype = DBT_DEVTYP_PORT;
        DWORD_PTR result = 0;
        SendMessageTimeoutW(hidden, WM_DEVICECHANGE, DBT_DEVICEARRIVAL,
                            reinterpret_cast<LPARAM>(&header), SMTO_NORMAL, 5000, &result);
    });
    bool heard = false;
    for (int i = 0; i < 500 && !heard; ++i) {
        heard = watcher.changed(0);
        if (!heard) Sleep(10);
    }
    system.join();
    EXPECT_TRUE(heard);
}

} // namespace
