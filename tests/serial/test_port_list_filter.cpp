// Which entries of the serial device map are offered, and which
// device-change messages concern a serial port.
#include "serial/uPortListFilter.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <utility>

namespace {

using TValues = std::vector<std::pair<std::string, std::string>>; // name, data
using TList = std::vector<std::string>;

// Runs the filter over the value names; the data of each value comes from
// the table by the index the filter asks for, which must match the name.
TList filter(const TValues& values, const std::set<std::string>& unreadable = {}) {
    TList sl;
    for (const auto& v : values)
        sl.push_back(v.first);
    keepVirtualComPorts(sl, [&](std::size_t i, const std::string& sName) {
        EXPECT_LT(i, values.size());
        EXPECT_EQ(values[i].first, sName) << "index and name disagree";
        return unreadable.count(sName) ? std::nullopt
                                       : std::optional<std::string>(values[i].second);
    });
    return sl;
}

TEST(PortListFilter, KeepsOnlyVirtualComPortsByTheirPortNames) {
    struct TCase {
        const char* what;
        TValues values;
        TList expected;
    };
    const TCase cases[] = {
        {"built-in port left out",
         {{"\\Device\\Serial0", "COM1"}, {"\\Device\\VCP0", "COM7"}},
         {"COM7"}},
        {"any ASCII case",
         {{"\\DEVICE\\VCP3", "COM3"}, {"\\Device\\Vcp4", "COM4"}},
         {"COM3", "COM4"}},
        {"prefix must be at the start",
         {{"x\\device\\vcp1", "COM9"}, {" \\Device\\VCP2", "COM8"}},
         {}},
        {"enumeration order, not sorted",
         {{"\\Device\\VCP1", "COM12"}, {"\\Device\\Serial0", "COM1"}, {"\\Device\\VCP0", "COM3"}},
         {"COM12", "COM3"}},
        {"prefix alone is enough", {{"\\device\\vcp", "COM5"}}, {"COM5"}},
        {"shorter than the prefix", {{"\\device\\vc", "COM5"}, {"", "COM6"}}, {}},
        {"other drivers",
         {{"\\Device\\USBSER000", "COM4"}, {"\\Device\\ProlificSerial0", "COM6"}},
         {}},
        {"data taken as it is", {{"\\Device\\VCP0", "COM10 "}}, {"COM10 "}},
        {"empty map", {}, {}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(filter(c.values), c.expected);
    }
}

TEST(PortListFilter, PortWhoseDataCannotBeReadIsLeftOut) {
    const TValues values = {
        {"\\Device\\VCP0", "COM3"}, {"\\Device\\VCP1", "COM4"}, {"\\Device\\VCP2", "COM5"}};
    EXPECT_EQ(filter(values, {"\\Device\\VCP1"}), (TList{"COM3", "COM5"}));
}

TEST(PortListFilter, NamesNeedNoDataLookupWhenLeftOut) {
    TList sl = {"\\Device\\Serial0", "\\Device\\VCP0"};
    int lookups = 0;
    keepVirtualComPorts(sl, [&](std::size_t i, const std::string&) {
        ++lookups;
        EXPECT_EQ(i, 1u);
        return std::optional<std::string>("COM7");
    });
    EXPECT_EQ(lookups, 1);
    EXPECT_EQ(sl, TList{"COM7"});
}

// The broadcast header: 32-bit size, 32-bit device type, 32-bit reserved.
struct THeader {
    std::uint32_t size = 12;
    std::uint32_t deviceType;
    std::uint32_t reserved = 0;
};

TEST(PortChange, ArrivalOrRemovalOfAPortOnly) {
    constexpr std::uint32_t cVolume = 2;
    constexpr std::uint32_t cInterface = 5;
    const THeader port{12, cDBT_DEVTYP_PORT};
    const THeader volume{12, cVolume};
    const THeader iface{12, cInterface};
    struct TCase {
        std::uint64_t wParam;
        const THeader* header;
        bool expected;
    };
    const TCase cases[] = {
        {0x8000, &port, true},    {0x8004, &port, true},  {0x8000, &volume, false},
        {0x8004, &iface, false},  {0x8001, &port, false}, {0x8002, &port, false},
        {0x8003, &port, false},   {0x0007, &port, false}, {0x0018, &port, false},
        {0x8000, nullptr, false},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.wParam);
        EXPECT_EQ(isPortChangeEvent(c.wParam, c.header), c.expected);
    }
}

TEST(PortChange, OtherEventsDoNotLookAtTheParameter) {
    // Not a pointer at all: reading through it would crash.
    const void* bogus = reinterpret_cast<const void*>(std::uintptr_t{8});
    for (const std::uint64_t wParam : {0x0007ull, 0x8001ull, 0x8003ull, 0x8006ull}) {
        EXPECT_FALSE(isPortChangeEvent(wParam, bogus));
    }
}

} // namespace
