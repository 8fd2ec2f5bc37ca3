// The termios port against a pseudo-terminal whose master plays the logger.
#include "notify_recorder.h"
#include "pty_pair.h"
#include "serial/uRS232.h"
#include "serial/uRS232_posix.h"
#include "session/uCommThread.h"
#include "session/uExceptions1V0.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <future>
#include <numeric>
#include <sys/ioctl.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

using namespace std::chrono_literals;
using TClock = std::chrono::steady_clock;

namespace {

constexpr int cBaud = 9600;

class PosixPort : public ::testing::Test {
  protected:
    TPtyPair pty;

    TPortHandle open() { return openPort(pty.slavePath(), cBaud); }

    // A read that must end of its own accord: should it hang on a dead line,
    // the test binary stops with a message instead of hanging the run.
    static bool readOrAbort(IPort& port, std::uint8_t* data, std::size_t n, std::size_t& got) {
        auto pending = std::async(std::launch::async, [&] { return port.read(data, n, got); });
        if (pending.wait_for(5s) != std::future_status::ready) {
            std::fprintf(stderr, "read on a dead line did not end\n");
            std::abort();
        }
        return pending.get();
    }

    static std::chrono::milliseconds since(TClock::time_point t0) {
        return std::chrono::duration_cast<std::chrono::milliseconds>(TClock::now() - t0);
    }
};

// Whatever state the line was left in, the port comes up as raw 9600 8N1
// without flow control or character processing.
TEST_F(PosixPort, ConfiguresRaw9600EightNoneOneFromAnyEarlierState) {
    const int observer = pty.openObserver();
    ASSERT_GE(observer, 0);
    termios messy{};
    ASSERT_EQ(tcgetattr(observer, &messy), 0);
    messy.c_iflag |= IXON | IXOFF | ICRNL | INLCR | ISTRIP | INPCK;
    messy.c_oflag |= OPOST | ONLCR;
    messy.c_lflag |= ICANON | ECHO | ISIG | IEXTEN;
    messy.c_cflag = (messy.c_cflag & ~CSIZE) | CS7 | PARENB | CSTOPB | CRTSCTS;
    cfsetispeed(&messy, B1200);
    cfsetospeed(&messy, B1200);
    ASSERT_EQ(tcsetattr(observer, TCSANOW, &messy), 0);

    TPortHandle port = open();
    ASSERT_TRUE(port);
    termios tio{};
    ASSERT_EQ(tcgetattr(observer, &tio), 0);
    EXPECT_EQ(cfgetospeed(&tio), B9600);
    EXPECT_EQ(cfgetispeed(&tio), B9600);
    EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(tio.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
    EXPECT_EQ(tio.c_cflag & (CREAD | CLOCAL), static_cast<tcflag_t>(CREAD | CLOCAL));
    EXPECT_EQ(tio.c_iflag & (IXON | IXOFF | ICRNL | INLCR | IGNCR | ISTRIP | INPCK), 0u);
    EXPECT_EQ(tio.c_oflag & OPOST, 0u);
    EXPECT_EQ(tio.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);
    closePort(port);
    EXPECT_FALSE(port);
    ::close(observer);
}

// Every byte value crosses the line unchanged in both directions: no CR/LF
// mapping, no XON/XOFF, no signal characters, no echo.
TEST_F(PosixPort, EveryByteValuePassesUnchangedBothWays) {
    TPortHandle port = open();
    ASSERT_TRUE(port);
    std::vector<std::uint8_t> all(256);
    std::iota(all.begin(), all.end(), 0);

    std::size_t written = 0;
    ASSERT_TRUE(port->write(all.data(), all.size(), written));
    EXPECT_EQ(written, all.size());
    EXPECT_EQ(pty.receive(all.size()), all);

    pty.send(all);
    std::vector<std::uint8_t> got(all.size());
    std::size_t n = 0;
    ASSERT_TRUE(port->read(got.data(), got.size(), n));
    EXPECT_EQ(n, got.size());
    EXPECT_EQ(got, all);
    // Nothing came back to the master as echo.
    EXPECT_TRUE(pty.receive(1, 50ms).empty());
}

// A read returns the moment the asked-for bytes are in, long before its
// time-out, even when they arrive in pieces.
TEST_F(PosixPort, ReadReturnsAsSoonAsAllBytesAreIn) {
    TPortHandle port = open();
    ASSERT_TRUE(port);
    std::thread logger([this] {
        std::this_thread::sleep_for(20ms);
        pty.send({1, 2, 3, 4});
        std::this_thread::sleep_for(40ms);
        pty.send({5, 6, 7, 8});
    });
    std::uint8_t got[8] = {};
    std::size_t n = 0;
    const auto t0 = TClock::now();
    const bool ok = port->read(got, 8, n);
    const auto elapsed = since(t0);
    logger.join();
    ASSERT_TRUE(ok);
    EXPECT_EQ(n, 8u);
    EXPECT_EQ(got[7], 8);
    EXPECT_LT(elapsed.count(), readTimeoutMs(8)) << "waited for the time-out";
}

// A short read is a time-out after 200 + n ms with what came, not an error:
// nothing, part of the answer waiting before the read, or part of it arriving
// while the read waits for the whole.
TEST_F(PosixPort, ReadFromQuietLineEndsAtTimeOutWithWhatCame) {
    TPortHandle port = open();
    ASSERT_TRUE(port);
    struct TCase {
        std::size_t before;
        std::size_t during;
    };
    for (const TCase c : {TCase{0, 0}, TCase{3, 0}, TCase{0, 5}, TCase{2, 3}}) {
        SCOPED_TRACE(std::to_string(c.before) + " before, " + std::to_string(c.during) +
                     " during the read");
        if (c.before) pty.send(std::vector<std::uint8_t>(c.before, 0x5A));
        std::thread logger([&] {
            if (c.during == 0) return;
            std::this_thread::sleep_for(50ms);
            pty.send(std::vector<std::uint8_t>(c.during, 0xA5));
        });
        std::uint8_t got[8] = {};
        std::size_t n = 99;
        const auto t0 = TClock::now();
        EXPECT_TRUE(port->read(got, 8, n));
        const auto elapsed = since(t0);
        logger.join();
        EXPECT_EQ(n, c.before + c.during);
        EXPECT_GE(elapsed.count(), readTimeoutMs(8));
        EXPECT_LT(elapsed.count(), 1000);
    }
}

// An answer that arrives in pieces, as a paced echo does, stays in the line
// discipline until it is complete: the read asked to be woken only once all
// the bytes it still expects are in (VMIN, at most 255), so it does not wake
// for each piece, and it returns the whole answer from one call.
TEST_F(PosixPort, AnswerInPiecesIsTakenWholeWhenItsLastByteIsIn) {
    TPortHandle port = open();
    ASSERT_TRUE(port);
    const int observer = pty.openObserver();
    ASSERT_GE(observer, 0);
    const auto vmin = [&] {
        termios tio{};
        EXPECT_EQ(tcgetattr(observer, &tio), 0);
        return static_cast<std::size_t>(tio.c_cc[VMIN]);
    };
    const auto waitingInput = [&] {
        int n = -1;
        EXPECT_EQ(ioctl(observer, FIONREAD, &n), 0);
        return static_cast<std::size_t>(n);
    };
    // Polls what the port's reader has asked for until it is as expected.
    const auto settlesAt = [&](std::size_t wantVmin, std::size_t wantWaiting) {
        const auto giveUp = TClock::now() + 2s;
        while ((vmin() != wantVmin || waitingInput() != wantWaiting) && TClock::now() < giveUp)
            std::this_thread::sleep_for(1ms);
        return vmin() == wantVmin && waitingInput() == wantWaiting;
    };

    struct TCase {
        std::size_t answer;
        std::size_t piece;
    };
    // A record's echo; a frame a byte at a time; more than VMIN can hold.
    for (const TCase c : {TCase{139, 35}, TCase{8, 1}, TCase{400, 100}}) {
        SCOPED_TRACE(std::to_string(c.answer) + " bytes in pieces of " + std::to_string(c.piece));
        std::vector<std::uint8_t> answer(c.answer);
        std::iota(answer.begin(), answer.end(), 7);
        std::vector<std::uint8_t> got(c.answer);
        std::size_t n = 0;
        auto pending = std::async(std::launch::async,
                                  [&] { return readOrAbort(*port, got.data(), got.size(), n); });
        std::size_t taken = 0; // bytes the read has taken out so far
        ASSERT_TRUE(settlesAt(std::min<std::size_t>(c.answer, 255), 0));
        for (std::size_t sent = 0; sent < c.answer;) {
            const std::size_t k = std::min(c.piece, c.answer - sent);
            pty.send(std::vector<std::uint8_t>(answer.begin() + sent, answer.begin() + sent + k));
            sent += k;
            if (sent == c.answer) break;
            const std::size_t asked = std::min<std::size_t>(c.answer - taken, 255);
            if (sent - taken >= asked) taken = sent; // enough in: it wakes and takes them
            const std::size_t stillAsked = std::min<std::size_t>(c.answer - taken, 255);
            ASSERT_TRUE(settlesAt(stillAsked, sent - taken)) << "after " << sent << " bytes";
            // A reader that woke for this piece would have taken it by now
            // (the whole loop stays well inside the read's 200 + n ms).
            std::this_thread::sleep_for(10ms);
            EXPECT_EQ(waitingInput(), sent - taken) << "after " << sent << " bytes";
        }
        ASSERT_TRUE(pending.get());
        EXPECT_EQ(n, c.answer);
        EXPECT_EQ(got, answer);
    }
    ::close(observer);
}

TEST_F(PosixPort, PurgeDropsWaitingInput) {
    TPortHandle port = open();
    ASSERT_TRUE(port);
    pty.send({1, 2, 3});
    std::this_thread::sleep_for(30ms);
    EXPECT_TRUE(port->clearError());
    EXPECT_TRUE(port->purge());
    pty.send({9});
    std::uint8_t got[4] = {};
    std::size_t n = 0;
    EXPECT_TRUE(port->read(got, 4, n));
    ASSERT_EQ(n, 1u);
    EXPECT_EQ(got[0], 9);
}

// A second opener, root included, is refused while the first holds the
// port; the failed attempt leaves the holder's port as it was.
TEST_F(PosixPort, SecondOpenFailsAndLeavesFirstUndisturbed) {
    TPortHandle first = open();
    ASSERT_TRUE(first);
    EXPECT_FALSE(open());
    EXPECT_FALSE(openPort(pty.slaveName(), cBaud));

    const int observer = pty.openObserver();
    ASSERT_GE(observer, 0);
    EXPECT_TRUE(isExclusive(observer)) << "the failed open cleared the holder's exclusive flag";
    ::close(observer);

    std::size_t n = 0;
    const std::uint8_t frame[2] = {0x81, 0x00};
    ASSERT_TRUE(first->write(frame, 2, n));
    EXPECT_EQ(pty.receive(2), (std::vector<std::uint8_t>{0x81, 0x00}));
    pty.send({0x42});
    std::uint8_t got = 0;
    ASSERT_TRUE(first->read(&got, 1, n));
    EXPECT_EQ(n, 1u);
    EXPECT_EQ(got, 0x42);
}

// Closing releases everything at once: the lock and the exclusive flag (a
// pseudo-terminal would otherwise stay barred to the next ordinary user).
TEST_F(PosixPort, ClosedPortOpensAgainAtOnce) {
    for (int round = 0; round < 3; ++round) {
        TPortHandle port = open();
        ASSERT_TRUE(port) << "round " << round;
        closePort(port);
        EXPECT_FALSE(port);
        const int observer = pty.openObserver();
        ASSERT_GE(observer, 0);
        EXPECT_FALSE(isExclusive(observer));
        ::close(observer);
    }
    TPortHandle port = open();
    ASSERT_TRUE(port);
    port.reset(); // dropping the handle closes as well
    EXPECT_TRUE(open());
}

TEST(PosixPortName, NameWithoutLeadingSlashLiesUnderDev) {
    EXPECT_EQ(devicePath("ttyUSB0"), "/dev/ttyUSB0");
    EXPECT_EQ(devicePath("pts/3"), "/dev/pts/3");
    EXPECT_EQ(devicePath("/dev/ttyACM0"), "/dev/ttyACM0");
    EXPECT_EQ(devicePath("/tmp/x"), "/tmp/x");

    TPtyPair pty;
    TPortHandle port = openPort(pty.slaveName(), cBaud);
    ASSERT_TRUE(port) << pty.slaveName();
    std::size_t n = 0;
    const std::uint8_t b = 0x33;
    ASSERT_TRUE(port->write(&b, 1, n));
    EXPECT_EQ(pty.receive(1), std::vector<std::uint8_t>{0x33});
}

TEST(PosixPortName, UnusableNamesGiveTheInvalidHandle) {
    for (const char* name :
         {"", "tarvek2-no-such-port", "/dev/tarvek2-no-such-port", "/dev/null", "/tmp", " ttyS0"}) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(openPort(name, cBaud));
    }
    TPtyPair pty;
    EXPECT_FALSE(openPort(pty.slavePath(), 12345)) << "a rate the line cannot run";
    EXPECT_TRUE(openPort(pty.slavePath(), cBaud)) << "the refused open held the port";
}

// The logger's end going away is a port failure, reported at once, not a
// quiet line to be polled until the retries run out.
TEST_F(PosixPort, OtherEndClosedIsAFailure) {
    TPortHandle port = open();
    ASSERT_TRUE(port);
    pty.closeMaster();
    std::uint8_t got[8] = {};
    std::size_t n = 0;
    const auto t0 = TClock::now();
    EXPECT_FALSE(readOrAbort(*port, got, 8, n));
    EXPECT_LT(since(t0).count(), 1000);
    const std::uint8_t frame[8] = {};
    EXPECT_FALSE(port->write(frame, 8, n));
}

TEST_F(PosixPort, OtherEndClosingDuringAReadEndsIt) {
    TPortHandle port = open();
    ASSERT_TRUE(port);
    std::thread logger([this] {
        std::this_thread::sleep_for(30ms);
        pty.send({7});
        pty.closeMaster();
    });
    std::uint8_t got[200] = {};
    std::size_t n = 0;
    const auto t0 = TClock::now();
    const bool ok = readOrAbort(*port, got, sizeof got, n);
    const auto elapsed = since(t0);
    logger.join();
    EXPECT_FALSE(ok);
    EXPECT_LT(elapsed.count(), readTimeoutMs(sizeof got)) << "waited for the time-out";
}

// A write is bounded as a whole: 200 + n ms, plus the time its bytes take
// on the line at the port's rate.
TEST(PosixPortDeadline, TheWriteDeadlineAddsTheLineTimeOfItsBytes) {
    struct TCase {
        std::size_t n;
        int iBaud;
        int lineMs;
        int deadlineMs;
    };
    const TCase cases[] = {
        {0, 9600, 0, 200},     {1, 9600, 2, 203},    {8, 9600, 9, 217},
        {139, 9600, 145, 484}, {96, 9600, 100, 396}, {8, 115200, 1, 209},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(std::to_string(c.n) + " bytes at " + std::to_string(c.iBaud));
        EXPECT_EQ(lineTimeMs(c.n, c.iBaud), c.lineMs);
        EXPECT_EQ(writeDeadlineMs(c.n, c.iBaud), c.deadlineMs);
    }
}

// The driver's output queue as a test plays it: a queue that empties after
// a few looks, one that never does (a stalled USB driver), one that cannot
// be asked.
class PosixPortDrain : public ::testing::Test {
  protected:
    TPtyPair pty;

    TPortHandle portWith(TOutputQueue queue) {
        const int fd = ::open(pty.slavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        EXPECT_GE(fd, 0);
        return makePosixPort(fd, cBaud, std::move(queue));
    }

    // Writes a frame; should the write not end of its own accord, the test
    // binary stops with a message instead of hanging the run.
    static bool writeOrAbort(IPort& port, std::size_t& written) {
        static const std::uint8_t frame[8] = {0x81, 0, 0, 0, 0, 0, 0, 0xAA};
        auto pending =
            std::async(std::launch::async, [&] { return port.write(frame, 8, written); });
        if (pending.wait_for(10s) != std::future_status::ready) {
            std::fprintf(stderr, "a write on a stalled driver did not end\n");
            std::abort();
        }
        return pending.get();
    }
};

TEST_F(PosixPortDrain, AStalledOutputQueueFailsTheWriteAtItsDeadline) {
    int looks = 0;
    TPortHandle port = portWith([&](int, std::size_t& queued) {
        ++looks;
        queued = 5;
        return true;
    });
    std::size_t written = 0;
    const auto t0 = TClock::now();
    EXPECT_FALSE(writeOrAbort(*port, written));
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(TClock::now() - t0);
    // Not before the deadline: a slow driver has its full time.
    EXPECT_GE(elapsed.count(), writeDeadlineMs(8, cBaud));
    // It looked again as the queued bytes should have left, not in a spin.
    EXPECT_GT(looks, 1);
    EXPECT_LT(looks, writeDeadlineMs(8, cBaud));
    EXPECT_EQ(pty.receive(8).size(), 8u) << "the bytes themselves were handed over";
}

TEST_F(PosixPortDrain, AQueueThatEmptiesEndsTheWriteAndOneThatCannotBeAskedFailsIt) {
    int left = 3;
    TPortHandle draining = portWith([&](int, std::size_t& queued) {
        queued = static_cast<std::size_t>(left > 0 ? left-- : 0);
        return true;
    });
    std::size_t written = 0;
    EXPECT_TRUE(writeOrAbort(*draining, written));
    EXPECT_EQ(written, 8u);
    EXPECT_EQ(left, 0);
    draining.reset();

    TPortHandle unknown = portWith([](int, std::size_t&) { return false; });
    EXPECT_FALSE(writeOrAbort(*unknown, written));
}

// A session whose writes never leave the driver ends as a failed write does,
// with a port error, and soon: the first null frame's write is its last.
TEST_F(PosixPortDrain, ASessionOnAStalledDriverEndsWithAPortError) {
    TNotifyRecorder rec;
    TFWCatalog catalog;
    std::atomic<bool> cancel{false};
    int opens = 0;
    TPortOpener stalled = [&](const std::string&, int, TPortProblem&) {
        ++opens;
        return portWith([](int, std::size_t& queued) {
            queued = 1;
            return true;
        });
    };
    TCommThread session({&rec, TCmd::tCMD0, "stalled", &catalog, {}, &cancel, nullptr, stalled});
    session.Execute();
    EXPECT_EQ(opens, 1);
    ASSERT_EQ(rec.all.size(), 1u);
    EXPECT_EQ(rec.all[0].kind, cNT_ABORT);
    EXPECT_EQ(rec.all[0].value, cEX_PORT_IO);
    EXPECT_FALSE(session.PortProblem().failed());
}

} // namespace
