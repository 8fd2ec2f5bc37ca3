// The simulated logger on a real pseudo-terminal, talked to through the slave
// side the way a serial backend does: raw termios, exclusive open and flock,
// close and reopen between sessions.
#include "TSimulatedLogger.h"
#include "simTraffic.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

using namespace simtraffic;
using namespace std::chrono_literals;

namespace {

// The updater's end of the line, minimal.
class TPortEnd {
  public:
    explicit TPortEnd(const std::string& path) {
        FFd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (FFd < 0) return;
        ::flock(FFd, LOCK_EX | LOCK_NB);
        ::ioctl(FFd, TIOCEXCL);
        termios tio{};
        ::tcgetattr(FFd, &tio);
        ::cfmakeraw(&tio);
        ::cfsetspeed(&tio, B9600);
        ::tcsetattr(FFd, TCSANOW, &tio);
        ::tcflush(FFd, TCIOFLUSH);
    }
    ~TPortEnd() {
        if (FFd >= 0) ::close(FFd);
    }
    bool ok() const { return FFd >= 0; }
    int fd() const { return FFd; }
    bool send(const std::string& s) {
        return ::write(FFd, s.data(), s.size()) == ssize_t(s.size());
    }
    // Up to n bytes, waiting at most timeout for them.
    std::string read(std::size_t n, std::chrono::milliseconds timeout = 2000ms) {
        std::string got;
        const auto end = std::chrono::steady_clock::now() + timeout;
        while (got.size() < n) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                end - std::chrono::steady_clock::now());
            if (left.count() <= 0) break;
            pollfd p{FFd, POLLIN, 0};
            if (::poll(&p, 1, static_cast<int>(left.count())) <= 0) break;
            char buf[256];
            const ssize_t r = ::read(FFd, buf, std::min(sizeof buf, n - got.size()));
            if (r <= 0) break;
            got.append(buf, static_cast<std::size_t>(r));
        }
        return got;
    }

  private:
    int FFd = -1;
};

} // namespace

TEST(SimPty, IdentifyRoundTripSurvivesReopening) {
    TSimulatedLogger logger;
    ASSERT_TRUE(logger.start()) << logger.lastError();
    ASSERT_EQ(logger.portPath().rfind("/dev/pts/", 0), 0u) << logger.portPath();

    for (int session = 0; session < 3; ++session) {
        SCOPED_TRACE(session);
        TPortEnd port(logger.portPath());
        ASSERT_TRUE(port.ok()) << std::strerror(errno);
        ASSERT_TRUE(port.send(text(nullFrame())));
        ASSERT_TRUE(port.send(text(identifyFrame())));
        EXPECT_EQ(port.read(8), text(answerFrame(0x6621, 2, 7)));
        // Nothing else: no echo of what was sent, no extra bytes.
        EXPECT_EQ(port.read(1, 50ms), "");
    }
    EXPECT_TRUE(logger.waitFor([](const TSimRecord& r) { return r.identifies == 3; }, 1s));
    EXPECT_EQ(logger.record().nullFrames, 3);

    // A record goes through unchanged (no CR/LF mapping, nothing echoed by the terminal).
    TPortEnd port(logger.portPath());
    port.send(text(switchFrame()));
    const std::string line = recordsToSend(1).front();
    port.send(line);
    EXPECT_EQ(port.read(line.size()), line);
    logger.stop();
    EXPECT_EQ(logger.record().blocks.size(), 1u);
}

TEST(SimPty, CutLineHangsUpTheUpdatersEnd) {
    TSimConfig config;
    config.startsInBootloader = true;
    config.cutAt = 1;
    TSimulatedLogger logger(config);
    ASSERT_TRUE(logger.start());
    TPortEnd port(logger.portPath());
    ASSERT_TRUE(port.ok());
    port.send(makeCommandRecord(0, 0x31));
    EXPECT_EQ(port.read(13).size(), 13u);
    port.send(recordsToSend(1).front());
    ASSERT_TRUE(logger.waitFor([](const TSimRecord& r) { return r.lineCut; }, 2s));

    // The updater sees a hangup at once instead of a silent line.
    pollfd p{port.fd(), POLLIN, 0};
    ASSERT_EQ(::poll(&p, 1, 1000), 1);
    EXPECT_TRUE(p.revents & POLLHUP);
    char c = 0;
    EXPECT_EQ(::write(port.fd(), &c, 1), -1);
    EXPECT_EQ(errno, EIO);
    EXPECT_NE(::access(logger.portPath().c_str(), F_OK), 0);
    EXPECT_TRUE(logger.lineCut());
}

// Pacing is the simulator's own: a 139-character echo at 9600 baud cannot
// arrive before its 1390 bits have passed, nor, when the input is paced too,
// before the record's own 1390 bits have come in as well.
TEST(SimPty, PacedAnswersTakeTheLineTime) {
    const std::string line = recordsToSend(1).front();
    const auto oneWay = std::chrono::microseconds(139 * 10 * 1'000'000LL / 9600);
    for (const bool bPaceInput : {false, true}) {
        SCOPED_TRACE(bPaceInput ? "input paced" : "answers paced");
        TSimConfig config;
        config.startsInBootloader = true;
        config.baud = 9600;
        config.paceInput = bPaceInput;
        TSimulatedLogger logger(config);
        ASSERT_TRUE(logger.start());
        TPortEnd port(logger.portPath());
        const auto t0 = std::chrono::steady_clock::now();
        port.send(line);
        EXPECT_EQ(port.read(line.size()), line);
        EXPECT_GE(std::chrono::steady_clock::now() - t0, (bPaceInput ? 2 : 1) * oneWay);
    }
}
