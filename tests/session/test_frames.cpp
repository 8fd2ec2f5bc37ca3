// The frame layer: waking the line, command frames, text records, retries,
// cancel, port failures and the one final notification.
#include "session_fixture.h"

#include <new>

namespace {

std::string bytes(std::initializer_list<int> b) {
    std::string s;
    for (int v : b)
        s += static_cast<char>(v);
    return s;
}

TEST_F(SessionTest, WakesTheLineWithTwoNullFramesHundredMillisecondsApart) {
    logger.id.inBootloader = true;
    settings.bInfoOnly = true;
    run();
    ASSERT_GE(logger.log.size(), 3u);
    EXPECT_EQ(logger.log[0].written, std::string(8, '\0'));
    EXPECT_EQ(logger.log[1].written, std::string(8, '\0'));
    EXPECT_EQ(logger.log[2].kind, TExchange::identify);
    ASSERT_GE(clock.sleeps.size(), 2u);
    EXPECT_EQ(clock.sleeps[0], 100);
    EXPECT_EQ(clock.sleeps[1], 100);
}

TEST_F(SessionTest, IdentifyAndSwitchFramesCarryTheirExactBytes) {
    settings.bInfoOnly = true;
    run();
    const auto frames = logger.log;
    ASSERT_GE(frames.size(), 5u);
    EXPECT_EQ(frames[2].written, bytes({0x81, 0, 0, 0, 0, 0, 0, 0xAA}));
    EXPECT_EQ(frames[3].written, bytes({0x82, 0x81, 0x00, 0xA5, 0x5A, 0x00, 0x00, 0x09}));
    EXPECT_EQ(frames[4].written, bytes({0x81, 0, 0, 0, 0, 0, 0, 0xAA}));
}

TEST_F(SessionTest, PortThatCannotBeOpenedGivesOneAbortAndWritesNothing) {
    run(TScriptedLogger::failingOpener());
    ASSERT_EQ(rec.snapshot().size(), 1u);
    EXPECT_EQ(final(), (TNotification{cNT_ABORT, cEX_PORT_NOT_READY}));
    EXPECT_TRUE(logger.log.empty());
}

// A silent logger: five identify attempts, each a full read time-out, four
// pauses between them, then the communication error that restarts.
TEST_F(SessionTest, SilentLoggerCostsFiveAttemptsThenRepeatComm) {
    logger.fault = [](TExchange& e) { e.answer.clear(); };
    run();
    EXPECT_EQ(exchangesOf(TExchange::identify).size(), 5u);
    EXPECT_EQ(final(), (TNotification{cNT_REPEAT_COMM, 0}));
    EXPECT_EQ(rec.finals(), 1);
    EXPECT_EQ(logger.closes, 1);
    EXPECT_FALSE(logger.open);
    // 2 wake pauses + 4 retry pauses + 5 read time-outs of 208 ms (+ 8 ms of writes each)
    EXPECT_EQ(clock.now, 2 * 100 + 4 * 100 + 5 * 208 + 7 * 8);
}

struct FrameFaultCase {
    const char* name;
    int badFrames;   // identify answers spoiled before good ones
    bool statusBit5; // the spoiled answers also carry "not ready"
    bool crcOk;      // spoiled answers keep a right CRC
    std::uint32_t finalKind;
    std::int32_t finalValue;
    std::size_t identifies; // identify frames sent in the first pass before the outcome
};

class FrameFaults : public SessionTest, public ::testing::WithParamInterface<FrameFaultCase> {};

TEST_P(FrameFaults, RetryOrStop) {
    const auto c = GetParam();
    settings.bInfoOnly = true;
    logger.id.inBootloader = true;
    int spoiled = 0;
    logger.fault = [&](TExchange& e) {
        if (e.kind != TExchange::identify || spoiled >= c.badFrames) return;
        ++spoiled;
        auto* b = reinterpret_cast<std::uint8_t*>(e.answer.data());
        if (c.statusBit5) b[0] |= 0x20;
        if (c.crcOk)
            b[7] = CRC8(b, 7);
        else
            b[7] ^= 0x01;
    };
    run();
    EXPECT_EQ(final(), (TNotification{c.finalKind, c.finalValue})) << c.name;
    EXPECT_EQ(exchangesOf(TExchange::identify).size(), c.identifies) << c.name;
    EXPECT_EQ(rec.finals(), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Frames, FrameFaults,
    ::testing::Values(FrameFaultCase{"bad CRC four times then good", 4, false, false, cNT_ABORT,
                                     cEX_INFO_ONLY, 5},
                      FrameFaultCase{"bad CRC five times", 5, false, false, cNT_REPEAT_COMM, 0, 5},
                      FrameFaultCase{"bad CRC with bit 5 is retried", 2, true, false, cNT_ABORT,
                                     cEX_INFO_ONLY, 3},
                      FrameFaultCase{"good CRC with bit 5 stops at once", 1, true, true, cNT_ABORT,
                                     cEX_LOGGER_NOT_READY, 1}),
    [](const auto& info) {
        std::string n = info.param.name;
        for (auto& ch : n)
            if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
        return n;
    });

TEST_F(SessionTest, ShortAnswerFrameIsRetried) {
    settings.bInfoOnly = true;
    logger.id.inBootloader = true;
    int n = 0;
    logger.fault = [&](TExchange& e) {
        if (e.kind == TExchange::identify && n++ == 0) e.answer.resize(5);
    };
    run();
    EXPECT_EQ(final(), (TNotification{cNT_ABORT, cEX_INFO_ONLY}));
    EXPECT_EQ(exchangesOf(TExchange::identify).size(), 2u);
}

TEST_F(SessionTest, ShortWriteOfAFrameIsAFailedAttemptButOfARecordAPortError) {
    logger.id.inBootloader = true;
    settings.bInfoOnly = true;
    logger.shortWriteAt = 3; // the first identify frame
    run();
    EXPECT_EQ(final(), (TNotification{cNT_ABORT, cEX_INFO_ONLY}));

    TScriptedLogger second(clock, logger.id);
    TNotifyRecorder rec2;
    second.shortWriteAt = 4; // the 0x20 identity record
    auto ctx = context(second.opener());
    ctx.hWindow = &rec2;
    CommThreadClass(ctx)->Execute();
    EXPECT_EQ(rec2.last(), (TNotification{cNT_ABORT, cEX_PORT_IO}));
    EXPECT_EQ(second.closes, 1);
}

struct PortCallCase {
    const char* name;
    int TScriptedLogger::*counter;
    int at;
};

class PortCallFailures : public SessionTest, public ::testing::WithParamInterface<PortCallCase> {};

TEST_P(PortCallFailures, EndTheSessionWithPortIoAndReleaseThePort) {
    logger.*(GetParam().counter) = GetParam().at;
    run();
    EXPECT_EQ(final(), (TNotification{cNT_ABORT, cEX_PORT_IO})) << GetParam().name;
    EXPECT_EQ(rec.finals(), 1);
    EXPECT_EQ(logger.closes, 1);
}

INSTANTIATE_TEST_SUITE_P(Calls, PortCallFailures,
                         ::testing::Values(PortCallCase{"clear", &TScriptedLogger::failClearAt, 1},
                                           PortCallCase{"purge", &TScriptedLogger::failPurgeAt, 3},
                                           PortCallCase{"write", &TScriptedLogger::failWriteAt, 2},
                                           PortCallCase{"read", &TScriptedLogger::failReadAt, 1},
                                           PortCallCase{"record read", &TScriptedLogger::failReadAt,
                                                        3}),
                         [](const auto& info) {
                             return std::string(info.param.name) == "record read"
                                        ? std::string("record_read")
                                        : std::string(info.param.name);
                         });

TEST_F(SessionTest, CancelIsSeenBeforeTheNextAttempt) {
    // Cancel while the first identify's read waits: that attempt fails (no
    // answer) and the next one never starts.
    logger.fault = [&](TExchange& e) {
        if (e.kind == TExchange::identify) {
            cancel = true;
            e.answer.clear();
        }
    };
    run();
    EXPECT_EQ(final(), (TNotification{cNT_ABORT, cEX_CANCELLED}));
    EXPECT_EQ(exchangesOf(TExchange::identify).size(), 1u);
    EXPECT_EQ(logger.closes, 1);
}

TEST_F(SessionTest, CancelBeforeTheStartStopsAtTheFirstFrame) {
    cancel = true;
    run();
    EXPECT_EQ(rec.snapshot(), (std::vector<TNotification>{{cNT_ABORT, cEX_CANCELLED}}));
    EXPECT_TRUE(logger.log.empty());
}

class ThrowingSession : public TCommThread {
  public:
    using TCommThread::TCommThread;

  protected:
    void DoSession() override { throw std::bad_alloc(); }
};

TEST_F(SessionTest, AnUnexpectedExceptionEndsWithReasonZero) {
    ThrowingSession session(context());
    session.Execute();
    EXPECT_EQ(rec.snapshot().back(), (TNotification{cNT_ABORT, 0}));
    EXPECT_EQ(rec.finals(), 1);
    EXPECT_EQ(logger.closes, 1);
}

TEST_F(SessionTest, ThreadIsJoinedAfterItsFinalNotification) {
    logger.id.inBootloader = true;
    auto session = CommThreadClass(context());
    session->Start();
    session->Join();
    EXPECT_FALSE(session->Joinable());
    EXPECT_EQ(rec.finals(), 1);
    EXPECT_EQ(final().kind, cNT_DONE);
}

TEST(SessionProgress, NeverZeroOrHundredAndAtMostOnePerPercent) {
    TFakeClock clock;
    TScriptedLogger logger(clock, {});
    TNotifyRecorder rec;
    TFWCatalog catalog;
    std::atomic<bool> cancel{false};
    CommThreadClass({&rec, TCmd::tCMD0, "COM5", &catalog, {}, &cancel, &clock, logger.opener()})
        ->Execute();
    ASSERT_EQ(rec.last().kind, cNT_DONE);
    const auto progress = rec.ofKind(cNT_PROGRESS);
    ASSERT_FALSE(progress.empty());
    int previous = 0;
    for (const auto& p : progress) {
        EXPECT_GT(p.value, previous);
        EXPECT_LE(p.value, 99);
        previous = p.value;
    }
    EXPECT_EQ(progress.front().value, 1);
    // The last data line is index 2364 of 2365: 2364 * 99 / 2365 = 98.
    EXPECT_EQ(progress.back().value, 98);
    EXPECT_EQ(progress.size(), 98u);
}

} // namespace
