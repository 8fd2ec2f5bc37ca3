// The port watcher's rules with a hot-plug source and a port list in the
// test's hands: when it tells of a change, when it reads the list, and how
// an event and a rescan meet.
#include "fake_port_events.h"
#include "serial/uPortWatcher.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using Ports = std::vector<std::string>;

// A port list that counts its readings.
struct TListed {
    Ports ports;
    int reads = 0;
    TPortListSource source() {
        return [this](Ports& sl) {
            ++reads;
            sl = ports;
        };
    }
};

TEST(PortWatcher, SaysNothingBeforeItStarts) {
    TListed listed{{"COM5"}};
    bool event = true;
    TPortWatcher watcher(listed.source(), std::make_unique<TFakePortEvents>(TFakePortEvents::TSetup{
                                              .fd = 7, .look = [&] { return event; }}));
    EXPECT_EQ(watcher.fd(), -1);
    EXPECT_FALSE(watcher.changed(0));
    EXPECT_FALSE(watcher.changed(5000));
    EXPECT_EQ(listed.reads, 0);
}

// Where every change comes as an event, the list is never read unasked.
TEST(PortWatcher, EventsAloneWhereTheyTellEveryChange) {
    TListed listed{{"/dev/ttyUSB0"}};
    bool event = false;
    auto seen = std::make_shared<TFakePortEvents::TSeen>();
    TPortWatcher watcher(
        listed.source(),
        std::make_unique<TFakePortEvents>(
            TFakePortEvents::TSetup{.fd = 7, .look = [&] { return event; }}, seen));
    bool woken = false;
    EXPECT_EQ(watcher.start([&] { woken = true; }), TPortWatchMode::events);
    EXPECT_EQ(watcher.fd(), 7);
    EXPECT_EQ(watcher.rescanEveryMs(), 0);

    listed.ports = {"/dev/ttyUSB0", "/dev/ttyACM0"}; // no event for it
    EXPECT_FALSE(watcher.changed(0));
    EXPECT_FALSE(watcher.changed(60'000));
    event = true;
    EXPECT_TRUE(watcher.changed(60'001));
    EXPECT_EQ(listed.reads, 0);

    // The wake reaches the front end; a second start keeps the first.
    ASSERT_TRUE(seen->wake);
    seen->wake();
    EXPECT_TRUE(woken);
    EXPECT_EQ(watcher.start(), TPortWatchMode::events);
    EXPECT_EQ(seen->starts, 1);
}

// Without events the list is read once a second, and only a list that
// differs from the last reading is a change: the port box must not drop
// down every second.
TEST(PortWatcher, RescansWhereNoEventsCome) {
    struct Step {
        std::int64_t atMs;
        Ports ports;
        bool change;
        int reads; // the list's readings so far
    };
    const std::vector<Step> steps{
        {0, {"COM5"}, false, 1},            // start() read the base list
        {999, {"COM5", "COM7"}, false, 1},  // too early to look again
        {1000, {"COM5", "COM7"}, true, 2},  // COM7 arrived
        {2000, {"COM5", "COM7"}, false, 3}, // the same list
        {2500, {"COM7"}, false, 3},         // not yet
        {3100, {"COM7"}, true, 4},          // COM5 went
        {4100, {"COM7", "COM5"}, true, 5},  // back, in another place
        {5100, {"COM5", "COM7"}, true, 6},  // the order alone changed
        {9000, {}, true, 7},                // all gone
    };
    TListed listed{{"COM5"}};
    TPortWatcher watcher(listed.source(), std::make_unique<TFakePortEvents>(TFakePortEvents::TSetup{
                                              .available = false, .fd = 7, .look = {}}));
    EXPECT_EQ(watcher.start(), TPortWatchMode::rescan);
    EXPECT_EQ(watcher.fd(), -1) << "no descriptor of a source that did not start";
    EXPECT_EQ(watcher.rescanEveryMs(), cPortRescanMs);
    for (const Step& s : steps) {
        listed.ports = s.ports;
        EXPECT_EQ(watcher.changed(s.atMs), s.change) << "at " << s.atMs;
        EXPECT_EQ(listed.reads, s.reads) << "at " << s.atMs;
    }
}

// Events that may miss a port (Windows): an event is a change at once, and
// the list read then is the base of the next rescan, so one arrival is told
// once; a port that came without an event is found by the rescan.
TEST(PortWatcher, EventsWithARescanBesides) {
    TListed listed{{"COM5"}};
    bool event = false;
    TPortWatcher watcher(listed.source(),
                         std::make_unique<TFakePortEvents>(TFakePortEvents::TSetup{
                             .tellsEveryChange = false, .look = [&] { return event; }}));
    EXPECT_EQ(watcher.start(), TPortWatchMode::events);
    EXPECT_EQ(watcher.rescanEveryMs(), cPortRescanMs);
    EXPECT_FALSE(watcher.changed(0));

    listed.ports = {"COM5", "COM7"};
    event = true;
    EXPECT_TRUE(watcher.changed(100)); // at once, not a second later
    event = false;
    EXPECT_FALSE(watcher.changed(1100)) << "the same arrival told twice";
    EXPECT_FALSE(watcher.changed(2100));

    listed.ports = {"COM5", "COM7", "COM9"}; // a driver that announces nothing
    EXPECT_FALSE(watcher.changed(2500));
    EXPECT_TRUE(watcher.changed(3100));

    // An event for a port that is no virtual COM port still counts: the box
    // is refilled as on every port event.
    event = true;
    EXPECT_TRUE(watcher.changed(3200));
}

} // namespace
