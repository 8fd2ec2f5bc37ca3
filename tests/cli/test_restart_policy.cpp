// The command line's policy for the update controller: restarts as the
// window does them, bounded by --max-restarts (1500 ms after a communication
// error, at once after a programming error), with the image choice and a
// Ctrl-C carried into the new session.
#include "cli_run_recorder.h"
#include "controller/uRestartRule.h"
#include "fake_clock.h"
#include "scripted_logger.h"
#include "session/uExceptions1V0.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

class RestartPolicy : public ::testing::Test {
  protected:
    TFakeClock clock;
    TScriptedLogger logger{clock};
    std::atomic<bool> cancel{false}; // Ctrl-C
    TUpdateOptions request = withPort("COM5");
    bool intern = false;
    TRunRecorder out;

    static TUpdateOptions withPort(const std::string& port) {
        TUpdateOptions o;
        o.ports = {port};
        return o;
    }
    TRunSeams seams(TPortOpener opener) {
        TRunSeams s;
        s.clock = &clock;
        s.opener = std::move(opener);
        return s;
    }
    TPortResult run(TPortOpener opener = {}) {
        return runRecorded(request, intern, seams(opener ? std::move(opener) : logger.opener()),
                           cancel, out);
    }
    int sleepsOf(int ms) const {
        return static_cast<int>(std::count(clock.sleeps.begin(), clock.sleeps.end(), ms));
    }
    // An echo that is a well-formed record of the same block with other data:
    // the exchange succeeds and the comparison fails.
    static void wrongEcho(TExchange& ex) {
        ex.answer = TScriptedLogger::record(ex.block, 0x00, std::vector<std::uint8_t>(64, 0x22));
    }
};

enum class Fault { silentOnce, silentAlways, echoOnce, echoAlways };

struct LimitCase {
    const char* name;
    Fault fault;
    int maxRestarts;
    int exit;
    int restarts;
    bool usedUp;
    int waits; // 1500 ms waits before restarts
};

class RestartLimits : public RestartPolicy, public ::testing::WithParamInterface<LimitCase> {};

TEST_P(RestartLimits, RestartUntilDoneOrNoneLeft) {
    const auto c = GetParam();
    request.maxRestarts = c.maxRestarts;
    logger.fault = [&](TExchange& ex) {
        const bool first = logger.opens == 1;
        switch (c.fault) {
        case Fault::silentOnce:
        case Fault::silentAlways:
            if (ex.kind == TExchange::identify && (first || c.fault == Fault::silentAlways))
                ex.answer.clear();
            break;
        case Fault::echoOnce:
        case Fault::echoAlways:
            if (ex.kind == TExchange::dataRecord && ex.recordIndex % 1000 == 10 &&
                (first || c.fault == Fault::echoAlways))
                wrongEcho(ex);
            break;
        }
    };
    const TPortResult r = run();
    const TSessionOutcome& o = r.outcome;

    EXPECT_EQ(r.exitCode, c.exit);
    EXPECT_EQ(o.restarts, c.restarts);
    EXPECT_EQ(o.restartsUsedUp, c.usedUp);
    EXPECT_EQ(sleepsOf(cRepeatCommDelayMs), c.waits);
    EXPECT_EQ(logger.opens, c.restarts + 1);
    ASSERT_EQ(out.sessions.size(), static_cast<std::size_t>(c.restarts + 1));
    EXPECT_EQ(out.finishes, 1);
    // Every session ends with exactly one final notification, as its last.
    for (const auto& s : out.sessions) {
        ASSERT_FALSE(s.empty());
        EXPECT_TRUE(isFinalNotification(s.back().kind));
        EXPECT_EQ(std::count_if(s.begin(), s.end(),
                                [](const TNotification& n) { return isFinalNotification(n.kind); }),
                  1);
    }
    EXPECT_EQ(o.final, out.sessions.back().back());
    EXPECT_EQ(r.result, c.exit == 0 ? "done" : c.exit == cEX_COMM_ERROR ? "comm_error" : "abort");
}

INSTANTIATE_TEST_SUITE_P(
    Table, RestartLimits,
    ::testing::Values(
        LimitCase{"CommErrorOnceThenDone", Fault::silentOnce, 3, 0, 1, false, 1},
        LimitCase{"CommErrorAlways", Fault::silentAlways, 3, cEX_COMM_ERROR, 3, true, 3},
        LimitCase{"CommErrorNoRestartAllowed", Fault::silentAlways, 0, cEX_COMM_ERROR, 0, true, 0},
        LimitCase{"CommErrorOnceNoRestartAllowed", Fault::silentOnce, 0, cEX_COMM_ERROR, 0, true,
                  0},
        LimitCase{"EchoErrorOnceThenDone", Fault::echoOnce, 3, 0, 1, false, 0},
        LimitCase{"EchoErrorAlways", Fault::echoAlways, 2, cEX_PROG_REPEAT, 2, true, 0},
        LimitCase{"EchoErrorNoRestartAllowed", Fault::echoAlways, 0, cEX_PROG_REPEAT, 0, true, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(RestartPolicy, CommErrorRestartWaitsBeforeTheNewSessionOpensThePort) {
    logger.fault = [&](TExchange& ex) {
        if (logger.opens == 1 && ex.kind == TExchange::identify) ex.answer.clear();
    };
    std::vector<std::int64_t> opensAt;
    run([&](const std::string& port, int baud, TPortProblem& problem) {
        opensAt.push_back(clock.nowMs());
        return logger.opener()(port, baud, problem);
    });
    ASSERT_EQ(opensAt.size(), 2u);
    // The first session's last sleep is its fourth retry pause; the read
    // time-out of the fifth attempt and the 1500 ms wait come after it.
    EXPECT_GE(opensAt[1] - opensAt[0], cRepeatCommDelayMs);
    const auto wait = std::find(clock.sleeps.begin(), clock.sleeps.end(), cRepeatCommDelayMs);
    ASSERT_NE(wait, clock.sleeps.end());
    EXPECT_EQ(wait - clock.sleeps.begin(), 6); // wake 100 + 100, four retry pauses
}

// A Ctrl-C given while the failing session still ran is not lost: the
// restarted session ends with "Process cancelled!" before it writes.
TEST_F(RestartPolicy, CancelGivenBeforeARestartEndsTheNewSession) {
    for (const bool echoFault : {false, true}) {
        SCOPED_TRACE(echoFault ? "programming error" : "communication error");
        TScriptedLogger fresh{clock};
        TRunRecorder rec;
        cancel = false;
        clock.sleeps.clear();
        int identifies = 0;
        fresh.fault = [&](TExchange& ex) {
            if (fresh.opens != 1) return;
            if (!echoFault && ex.kind == TExchange::identify) {
                ex.answer.clear();
                if (++identifies == cAttempts) cancel = true; // during the last attempt
            }
            if (echoFault && ex.kind == TExchange::dataRecord && ex.recordIndex == 5) {
                wrongEcho(ex);
                cancel = true;
            }
        };
        const TPortResult r = runRecorded(request, intern, seams(fresh.opener()), cancel, rec);
        EXPECT_EQ(r.exitCode, cEX_CANCELLED);
        EXPECT_EQ(r.outcome.restarts, 1);
        EXPECT_EQ(rec.cancelNotes, 2); // the run's note and its one port's, once each
        ASSERT_EQ(rec.sessions.size(), 2u);
        EXPECT_EQ(rec.sessions[1], (std::vector<TNotification>{{cNT_ABORT, cEX_CANCELLED}}));
        EXPECT_EQ(fresh.opens, 2);
        EXPECT_EQ(fresh.closes, 2);
        EXPECT_TRUE(rec.sessions[1].size() == 1);
    }
}

TEST_F(RestartPolicy, RestartedSessionsChooseTheirImageAsTheFirstDid) {
    // The begin record is not answered in the first session: a communication
    // error after the image was chosen.
    auto failBeginOnce = [&](TExchange& ex) {
        if (logger.opens == 1 && ex.kind == TExchange::blCommand && ex.command == 0x31)
            ex.answer.clear();
    };

    // Built-in images: the restarted session searches them again.
    logger.fault = failBeginOnce;
    TPortResult r = run();
    EXPECT_EQ(r.exitCode, 0);
    ASSERT_EQ(out.sessions.size(), 2u);
    EXPECT_EQ(out.valuesOf(0, cNT_CHECK_IMAGE), std::vector<std::int32_t>{1});
    EXPECT_EQ(out.valuesOf(1, cNT_CHECK_IMAGE), std::vector<std::int32_t>{1});
    EXPECT_EQ(r.outcome.selectedFW, 1);

    // The file slot: the restarted session compares the file only.
    TScriptedLogger second{clock};
    logger.fault = nullptr;
    second.fault = [&](TExchange& ex) {
        if (second.opens == 1 && ex.kind == TExchange::blCommand && ex.command == 0x31)
            ex.answer.clear();
    };
    request.file = std::string(TARVEK2_FIRMWARE_DIR) + "/Tarvek2_V2_08_PF21_PR38_BL3_0.txt";
    intern = true;
    out = {};
    r = run(second.opener());
    EXPECT_EQ(r.exitCode, 0);
    ASSERT_EQ(out.sessions.size(), 2u);
    EXPECT_EQ(out.valuesOf(0, cNT_CHECK_IMAGE), std::vector<std::int32_t>{0});
    EXPECT_EQ(out.valuesOf(1, cNT_CHECK_IMAGE), std::vector<std::int32_t>{0});
    EXPECT_EQ(r.outcome.selectedFW, 0);
    EXPECT_EQ(out.texts.back(), "Update Tarvek2 V2.08 succesfully completed.");
}

TEST_F(RestartPolicy, PortThatDoesNotOpenIsNotRestartedAndIsExplained) {
    const TPortResult r = run(TScriptedLogger::failingOpener());
    EXPECT_EQ(r.exitCode, cEX_PORT_NOT_READY);
    EXPECT_EQ(r.outcome.restarts, 0);
    EXPECT_FALSE(r.outcome.restartsUsedUp);
    // The cause the session's own open found (the fake opener: a missing port).
    EXPECT_EQ(r.outcome.hint, "Serial port \"COM5\" does not exist. Check that the logger's cable "
                              "is plugged in, or pick another port.");
    ASSERT_EQ(out.sessions.size(), 1u);
    EXPECT_EQ(out.sessions[0], (std::vector<TNotification>{{cNT_ABORT, cEX_PORT_NOT_READY}}));
}

} // namespace
