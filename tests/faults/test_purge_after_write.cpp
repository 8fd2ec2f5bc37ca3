// A frame that the updater has written belongs to the line: purging the
// port before the next exchange must not take it back.  The session relies
// on it when it switches the logger into its bootloader: the switch frame
// gets no answer and the next exchange, with its purge, follows 1 ms later.
#include "TSimulatedLogger.h"

#include "images/uConvert1V0.h"
#include "serial/uRS232.h"

#include <gtest/gtest.h>

#include <array>

using namespace std::chrono_literals;

TEST(PurgeAfterWrite, EveryWrittenFrameReachesTheLogger) {
    TSimConfig config;
    config.silent = true; // nothing comes back; only what arrives counts
    TSimulatedLogger sim(config);
    ASSERT_TRUE(sim.start()) << sim.lastError();
    TPortHandle port = openPort(sim.portPath(), 9600);
    ASSERT_TRUE(port);

    std::array<std::uint8_t, 8> identify{0x81, 0, 0, 0, 0, 0, 0, 0};
    identify[7] = CRC8(identify.data(), 7);
    constexpr int kFrames = 300;
    for (int i = 0; i < kFrames; ++i) {
        std::size_t written = 0;
        ASSERT_TRUE(port->write(identify.data(), identify.size(), written));
        ASSERT_EQ(written, identify.size());
        ASSERT_TRUE(port->purge());
    }
    EXPECT_TRUE(sim.waitFor([](const TSimRecord& r) { return r.identifies >= kFrames; }, 5s));
    EXPECT_EQ(sim.record().identifies, kFrames);
    closePort(port);
    sim.stop();
}
