// The Win32 port backend on COM ports.  TARVEK2_TEST_SILENT_PORT names a
// port whose far end never answers (under Wine: a pseudo-terminal held by the
// silent logger simulator); the tests that need it are skipped without it.
#include "serial/uRS232.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

using TClock = std::chrono::steady_clock;

std::string silentPort() {
    const char* s = std::getenv("TARVEK2_TEST_SILENT_PORT");
    return s ? s : "";
}

long long msSince(TClock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(TClock::now() - start).count();
}

TEST(Win32Port, NamesWithoutAPortGiveTheInvalidHandle) {
    struct TCase {
        const char* sPort;
        const char* sProblem; // part of the operator's explanation
    };
    const TCase cases[] = {
        {"", "No serial port is chosen"},
        {"COM250", "does not exist"},
        {"COM5x", "does not exist"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.sPort);
        EXPECT_FALSE(openPort(c.sPort, 9600));
        EXPECT_NE(explainPortProblem(c.sPort).find(c.sProblem), std::string::npos)
            << explainPortProblem(c.sPort);
    }
}

TEST(Win32Port, ADeviceThatIsNoSerialPortIsClosedAgain) {
    // \\.\NUL opens, but refuses the line settings: the handle must not be
    // kept, and the device can be opened again at once.
    EXPECT_FALSE(openPort("NUL", 9600));
    EXPECT_FALSE(openPort("NUL", 9600));
    EXPECT_NE(explainPortProblem("NUL").find("not a serial port"), std::string::npos)
        << explainPortProblem("NUL");
}

TEST(Win32Port, ReadsFromASilentLoggerEndAfterTwoHundredMsPlusOnePerByte) {
    const std::string sPort = silentPort();
    if (sPort.empty()) GTEST_SKIP() << "TARVEK2_TEST_SILENT_PORT is not set";

    TPortHandle hPort = openPort(sPort, 9600);
    ASSERT_TRUE(hPort) << explainPortProblem(sPort);
    EXPECT_TRUE(hPort->clearError());
    EXPECT_TRUE(hPort->purge());

    // A command frame is 8 bytes: the session waits 208 ms for its answer.
    for (const std::size_t n : {std::size_t{8}, std::size_t{8}, std::size_t{100}}) {
        SCOPED_TRACE(n);
        std::uint8_t buffer[128] = {};
        std::size_t got = 99;
        const TClock::time_point start = TClock::now();
        EXPECT_TRUE(hPort->read(buffer, n, got));
        const long long elapsed = msSince(start);
        EXPECT_EQ(got, 0u);
        const long long expected = readTimeoutMs(n);
        EXPECT_GE(elapsed, expected - 10);
        EXPECT_LE(elapsed, expected + 400);
    }

    const std::uint8_t frame[8] = {0x81, 0, 0, 0, 0, 0, 0, 0x5A};
    std::size_t written = 0;
    EXPECT_TRUE(hPort->write(frame, sizeof frame, written));
    EXPECT_EQ(written, sizeof frame);

    closePort(hPort);
    EXPECT_FALSE(hPort);
    // Released: the same port opens again at once.
    TPortHandle hAgain = openPort(sPort, 9600);
    EXPECT_TRUE(hAgain);
    closePort(hAgain);
}

} // namespace
