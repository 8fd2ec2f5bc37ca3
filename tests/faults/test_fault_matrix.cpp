// The fault matrix: every way the line, the logger or the operator can make
// an update go wrong, each row a real session against the simulated logger
// on a pseudo-terminal: the session thread with the real serial backend and
// the real clock, or the real tarvek2-cli where the row is about what a
// front end does (its restart pause).
//
// Every row checks the same four things: the final outcome (the final
// notification's kind and value, or the exit status of tarvek2-cli), exactly
// one final notification per session and nothing after it, the port free
// again the moment the final notification is there, and the process back to
// the threads and descriptors it had before the row.
#include "TSimulatedLogger.h"
#include "cli_child.h"
#include "notify_recorder.h"
#include "port_holder.h"
#include "process_census.h"
#include "small_image.h"

#include "images/uConvert1V0.h"
#include "serial/uRS232.h"
#include "session/uExceptions1V0.h"
#include "session/uTarvekCommThread.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <functional>
#include <sstream>
#include <thread>

using namespace std::chrono_literals;

namespace {

using TClock = std::chrono::steady_clock;

// Far above what any row needs (the longest, a complete update with its
// 4000 ms restart pause, takes about 5 s): reaching it means a hang.
constexpr auto kSessionLimit = 30s;
const std::string kMissingPort = "/dev/tarvek2-fault-matrix-no-such-port";

// How a row drives its session.
enum class EDrive {
    Sessions,               // sessions one after another, as a front end restarts them
    CancelInRead,           // cancel while the first identify waits for its answer
    CancelInRestart,        // cancel while the session waits 4000 ms for the logger's restart
    MissingPort,            // the port does not exist
    HeldPort,               // another process holds the port
    CliCancelInRepeatPause, // tarvek2-cli; Ctrl-C in its 1500 ms pause after a
                            // communication error
};

// What a row saw.
struct TRowRun {
    TSimRecord logger;                                // what the simulated logger saw
    std::vector<std::vector<TNotification>> sessions; // each session's notifications
    std::vector<TNotification> cliFinals;             // tarvek2-cli's final notifications
    nlohmann::json cliSummary;                        // tarvek2-cli's last JSON line
    std::vector<std::uint8_t> holderAnswer;           // the holder's identify after the session
};

struct TFaultRow {
    const char* name;
    std::function<void(TSimConfig&)> fault;
    EDrive drive;
    // The final notification of each session, in order.
    std::vector<TNotification> finals;
    // Exit status of tarvek2-cli (CLI rows).
    int exitCode;
    // What else the row must show.
    std::function<void(const TRowRun&)> check;
};

std::ostream& operator<<(std::ostream& os, const TFaultRow& row) {
    return os << row.name;
}

TNotification done() {
    return {cNT_DONE, static_cast<std::int32_t>(TCmd::tCMD0)};
}
TNotification repeatComm() {
    return {cNT_REPEAT_COMM, static_cast<std::int32_t>(TCmd::tCMD0)};
}
TNotification abortWith(int reason) {
    return {cNT_ABORT, reason};
}

void noFault(TSimConfig&) {}

// The notification posted just before the final one.
TNotification beforeFinal(const std::vector<TNotification>& session) {
    return session.size() >= 2 ? session[session.size() - 2] : TNotification{~0u, -1};
}

void expectCompleteUpdate(const TSimRecord& r) {
    EXPECT_EQ(r.lastRunBlocks(), smallImageBlocks());
    EXPECT_EQ(r.restarts, 1);
    EXPECT_TRUE(r.updateDone);
}

const TFaultRow kRows[] = {
    {"SilentLogger",
     [](TSimConfig& c) { c.silent = true; },
     EDrive::Sessions,
     {repeatComm()},
     0,
     [](const TRowRun& r) {
         // Two null frames, then five identify attempts, then the session
         // gives up and leaves the restart to the front end.
         EXPECT_EQ(r.logger.nullFrames, 2);
         EXPECT_EQ(r.logger.identifies, 5);
         EXPECT_EQ(r.logger.frames, 7);
     }},
    {"NotReadyBit",
     [](TSimConfig& c) { c.notReady = true; },
     EDrive::Sessions,
     {abortWith(cEX_LOGGER_NOT_READY)},
     0,
     [](const TRowRun& r) {
         EXPECT_EQ(r.logger.identifies, 1); // a refusal is final, not retried
         EXPECT_EQ(r.logger.switches, 0);
     }},
    {"BadCrcsThenGood",
     [](TSimConfig& c) { c.badCrcAnswers = 2; },
     EDrive::Sessions,
     {done()},
     0,
     [](const TRowRun& r) {
         EXPECT_EQ(r.logger.identifies, 5); // 2 bad + 1 good, the bootloader's, the restart's
         expectCompleteUpdate(r.logger);
     }},
    {"BadCrcsAlways",
     [](TSimConfig& c) { c.badCrcAnswers = 1000; },
     EDrive::Sessions,
     {repeatComm()},
     0,
     [](const TRowRun& r) {
         EXPECT_EQ(r.logger.identifies, 5);
         EXPECT_EQ(r.logger.switches, 0);
     }},
    {"InvalidAnswerTo0x20",
     [](TSimConfig& c) { c.badAnswer20 = true; },
     EDrive::Sessions,
     {abortWith(cEX_INVALID_ANSWER)},
     0,
     [](const TRowRun& r) {
         EXPECT_EQ(r.logger.commands, 5); // five tries of 0x20, no 0x30
         EXPECT_EQ(r.logger.runs, 0);
         EXPECT_TRUE(r.logger.blocks.empty());
     }},
    {"InvalidAnswerTo0x30",
     [](TSimConfig& c) { c.badAnswer30 = true; },
     EDrive::Sessions,
     {abortWith(cEX_INVALID_ANSWER)},
     0,
     [](const TRowRun& r) {
         EXPECT_EQ(r.logger.commands, 6); // 0x20 once, 0x30 five times
         EXPECT_EQ(r.logger.runs, 0);
         EXPECT_TRUE(r.logger.blocks.empty());
     }},
    // A front end starts the session again after a programming error: a
    // fault that came once is gone the second time, one that stays is not.
    {"EchoCorruptedOnce",
     [](TSimConfig& c) { c.corruptEchoAt = 2; },
     EDrive::Sessions,
     {abortWith(cEX_PROG_REPEAT), done()},
     0,
     [](const TRowRun& r) {
         EXPECT_EQ(beforeFinal(r.sessions.at(0)),
                   (TNotification{cNT_PROG_ERROR_LINE, smallImageLineOfRecord(2)}));
         EXPECT_EQ(r.logger.corruptedEchoes, 1);
         EXPECT_EQ(r.logger.runs, 2);
         expectCompleteUpdate(r.logger);
     }},
    {"EchoCorruptedAlways",
     [](TSimConfig& c) {
         c.corruptEchoAt = 2;
         c.corruptEchoAlways = true;
     },
     EDrive::Sessions,
     {abortWith(cEX_PROG_REPEAT), abortWith(cEX_PROG_REPEAT)},
     0,
     [](const TRowRun& r) {
         for (const auto& session : r.sessions)
             EXPECT_EQ(beforeFinal(session),
                       (TNotification{cNT_PROG_ERROR_LINE, smallImageLineOfRecord(2)}));
         EXPECT_EQ(r.logger.corruptedEchoes, 2);
         EXPECT_EQ(r.logger.runs, 2);
         EXPECT_EQ(r.logger.restarts, 0); // never finished
     }},
    {"EchoDroppedOnce",
     [](TSimConfig& c) { c.dropEchoAt = 2; },
     EDrive::Sessions,
     {done()},
     0,
     [](const TRowRun& r) {
         EXPECT_EQ(r.logger.droppedEchoes, 1);
         // The second record went twice (the retry after the time-out).
         EXPECT_EQ(r.logger.blocks.size(), smallImageBlocks().size() + 1);
         EXPECT_EQ(r.logger.runs, 1);
         expectCompleteUpdate(r.logger);
     }},
    {"EchoDroppedAlways",
     [](TSimConfig& c) {
         c.dropEchoAt = 2;
         c.dropEchoAlways = true;
     },
     EDrive::Sessions,
     {repeatComm()},
     0,
     [](const TRowRun& r) {
         EXPECT_EQ(r.logger.droppedEchoes, 5);
         EXPECT_EQ(r.logger.restarts, 0);
     }},
    {"NoiseBeforeAnAnswer",
     [](TSimConfig& c) { c.noiseAnswers = 1; },
     EDrive::Sessions,
     {done()},
     0,
     [](const TRowRun& r) {
         EXPECT_EQ(r.logger.identifies, 4); // the noisy answer is tried once more
         expectCompleteUpdate(r.logger);
     }},
    // The simulator closes its end when the third record arrives: the
    // session must see the dead line as a port error at once, not as five
    // read time-outs (which would end it as a communication error).
    {"LineCutMidRecord",
     [](TSimConfig& c) { c.cutAt = 3; },
     EDrive::Sessions,
     {abortWith(cEX_PORT_IO)},
     0,
     [](const TRowRun& r) {
         EXPECT_TRUE(r.logger.lineCut);
         EXPECT_EQ(r.logger.blocks.size(), 2u);
     }},
    {"StaysInApplication",
     [](TSimConfig& c) { c.stayInApp = true; },
     EDrive::Sessions,
     {abortWith(cEX_NO_UPDATE)},
     0,
     [](const TRowRun& r) {
         EXPECT_EQ(r.logger.identifies, 2);
         EXPECT_EQ(r.logger.switches, 0);
         EXPECT_EQ(r.logger.records, 0); // no bootloader command went out
     }},
    {"WrongClassAfterRestart",
     [](TSimConfig& c) { c.classAfterRestart = 0x6622; },
     EDrive::Sessions,
     {abortWith(cEX_UPDATE_FAILED)},
     0,
     [](const TRowRun& r) {
         EXPECT_EQ(beforeFinal(r.sessions.at(0)), (TNotification{cNT_CLASS, 0x6622}));
         expectCompleteUpdate(r.logger);
     }},
    // The cancel is seen before the next attempt: the running read (208 ms)
    // ends first.  At most one more attempt may slip in if the test's own
    // wake-up is slow.
    {"CancelDuringARead",
     [](TSimConfig& c) { c.silent = true; },
     EDrive::CancelInRead,
     {abortWith(cEX_CANCELLED)},
     0,
     [](const TRowRun& r) {
         EXPECT_GE(r.logger.identifies, 1);
         EXPECT_LE(r.logger.identifies, 2);
     }},
    // The 4000 ms wait runs to its end; the identify after it is not sent.
    {"CancelDuringThe4000msWait",
     noFault,
     EDrive::CancelInRestart,
     {abortWith(cEX_CANCELLED)},
     0,
     [](const TRowRun& r) {
         EXPECT_EQ(r.logger.restarts, 1);
         EXPECT_EQ(r.logger.identifies, 2);
         EXPECT_FALSE(r.logger.updateDone);
         EXPECT_EQ(r.logger.lastRunBlocks(), smallImageBlocks());
     }},
    // A front end's restart wait: Ctrl-C during tarvek2-cli's 1500 ms pause
    // after a communication error.  The cancel is kept for the restarted
    // session, which ends before it writes anything.
    {"CancelDuringARestartWait",
     [](TSimConfig& c) { c.silent = true; },
     EDrive::CliCancelInRepeatPause,
     {repeatComm(), abortWith(cEX_CANCELLED)},
     cEX_CANCELLED,
     [](const TRowRun& r) {
         EXPECT_EQ(r.cliSummary.value("result", ""), "cancelled");
         EXPECT_EQ(r.cliSummary.value("restarts", -1), 1);
         EXPECT_EQ(r.logger.nullFrames, 2); // the first session's; the second sent nothing
         EXPECT_EQ(r.logger.identifies, 5);
     }},
    {"PortMissing",
     noFault,
     EDrive::MissingPort,
     {abortWith(cEX_PORT_NOT_READY)},
     0,
     [](const TRowRun& r) { EXPECT_EQ(r.logger.frames, 0); }},
    // The holder's own exchange still works after the session tried the
    // port, and the session wrote nothing to the line.
    {"PortHeldByAnotherProcess",
     noFault,
     EDrive::HeldPort,
     {abortWith(cEX_PORT_NOT_READY)},
     0,
     [](const TRowRun& r) {
         ASSERT_EQ(r.holderAnswer.size(), 8u);
         EXPECT_EQ(CRC8(r.holderAnswer.data(), 7), r.holderAnswer[7]);
         EXPECT_EQ(BytesToWord(r.holderAnswer[2], r.holderAnswer[3]), 0x6621);
         EXPECT_EQ(r.logger.frames, 1); // the holder's identify, nothing of the session
     }},
};

// tarvek2-cli --json: one object per notification, then the summary.
void readCliJson(const std::string& out, TRowRun& run) {
    std::istringstream in(out);
    for (std::string line; std::getline(in, line);) {
        if (line.empty()) continue;
        const auto j = nlohmann::json::parse(line, nullptr, false);
        EXPECT_FALSE(j.is_discarded()) << line;
        if (j.is_discarded()) continue;
        if (!j.contains("kind")) {
            run.cliSummary = j;
            continue;
        }
        const TNotification n{j.at("kind").get<std::uint32_t>(), j.at("value").get<std::int32_t>()};
        if (isFinalNotification(n.kind)) run.cliFinals.push_back(n);
    }
}

class FaultMatrix : public ::testing::TestWithParam<TFaultRow> {
  public:
    // The thread sanitizer starts a helper thread with the first thread a
    // program makes; make it before any row counts threads.
    static void SetUpTestSuite() {
        std::thread([] {}).join();
    }

  protected:
    // The port can be opened again at once: the session let it go before
    // it posted its final notification.
    static void expectPortFree(const std::string& sPort) {
        TPortProblem problem;
        TPortHandle again = openPort(sPort, cBaudRate, problem);
        EXPECT_TRUE(again) << sPort << " is not free: " << portProblemText(problem, sPort);
        closePort(again);
    }

    void runSessions(const TFaultRow& row, const std::string& sPort, TSimulatedLogger& sim,
                     TRowRun& run);
    void runCli(const std::string& sPort, TRowRun& run, int& exitCode);
};

void FaultMatrix::runSessions(const TFaultRow& row, const std::string& sPort, TSimulatedLogger& sim,
                              TRowRun& run) {
    for (std::size_t s = 0; s < row.finals.size(); ++s) {
        SCOPED_TRACE("session " + std::to_string(s + 1));
        TFWCatalog catalog;
        useSmallImage(catalog);
        std::atomic<bool> cancel{false};
        TNotifyRecorder window;
        TSessionContext context;
        context.hWindow = &window;
        context.sPort = sPort;
        context.catalog = &catalog;
        context.bCancel = &cancel;
        auto session = CommThreadClass(std::move(context));
        session->Start();

        if (row.drive == EDrive::CancelInRead) {
            EXPECT_TRUE(sim.waitFor([](const TSimRecord& r) { return r.identifies >= 1; }, 5s));
            cancel = true;
        } else if (row.drive == EDrive::CancelInRestart) {
            EXPECT_TRUE(sim.waitFor([](const TSimRecord& r) { return r.restarts >= 1; }, 20s));
            cancel = true;
        }
        const bool ended = window.waitForFinals(1, kSessionLimit);
        EXPECT_TRUE(ended) << "the session did not end within " << kSessionLimit.count() << " s";
        if (!ended) {
            // Give a hung session its way out before the thread is joined.
            cancel = true;
            window.waitForFinals(1, kSessionLimit);
        }
        if (row.drive == EDrive::HeldPort) {
            // Still the holder's.
            TPortHandle again = openPort(sPort, cBaudRate);
            EXPECT_FALSE(again);
        } else if (row.drive != EDrive::MissingPort && !sim.lineCut()) {
            expectPortFree(sPort);
        }
        session->Join();

        const auto all = window.snapshot();
        EXPECT_EQ(window.finals(), 1);
        ASSERT_FALSE(all.empty());
        EXPECT_EQ(all.back(), row.finals[s])
            << "final kind " << all.back().kind << ", value " << all.back().value;
        run.sessions.push_back(all);
    }
}

void FaultMatrix::runCli(const std::string& sPort, TRowRun& run, int& exitCode) {
    TCliChild cli(TARVEK2_CLI, {"update", "--port", sPort, "--json", "--max-restarts", "3"});
    // The JSON lines are flushed one by one: the communication error is
    // there as soon as the front end has it, before its pause begins.
    const auto limit = TClock::now() + kSessionLimit;
    while (cli.out().find("\"cNT_REPEAT_COMM\"") == std::string::npos && TClock::now() < limit)
        std::this_thread::sleep_for(10ms);
    ASSERT_NE(cli.out().find("\"cNT_REPEAT_COMM\""), std::string::npos) << cli.out() << cli.err();
    cli.signal(SIGINT);
    exitCode = cli.wait(kSessionLimit);
    readCliJson(cli.out(), run);
    EXPECT_NE(cli.err().find("cancelling"), std::string::npos) << cli.err();
    expectPortFree(sPort);
}

TEST_P(FaultMatrix, EndsWithTheRightOutcomeAndLeavesNothingBehind) {
    const TFaultRow& row = GetParam();
    const TProcessCensus before = TProcessCensus::take();
    const auto start = TClock::now();
    TRowRun run;
    {
        std::unique_ptr<TPortHolder> holder;
        if (row.drive == EDrive::HeldPort) {
            // Forked before the simulator starts its line thread.
            holder = std::make_unique<TPortHolder>();
            ASSERT_TRUE(holder->running());
        }
        TSimConfig config;
        row.fault(config);
        TSimulatedLogger sim(config);
        ASSERT_TRUE(sim.start()) << sim.lastError();
        const std::string sPort = row.drive == EDrive::MissingPort ? kMissingPort : sim.portPath();
        if (holder) {
            ASSERT_TRUE(holder->hold(sPort));
        }

        if (row.drive == EDrive::CliCancelInRepeatPause) {
            int exitCode = -1;
            runCli(sPort, run, exitCode);
            EXPECT_EQ(exitCode, row.exitCode) << run.cliSummary.dump();
            // One final notification for each session that the front end ran.
            EXPECT_EQ(run.cliFinals, row.finals);
        } else {
            runSessions(row, sPort, sim, run);
        }
        if (holder) {
            run.holderAnswer = holder->identify();
            EXPECT_TRUE(holder->release());
            expectPortFree(sPort);
        }
        sim.stop();
        run.logger = sim.record();
    }
    const TProcessCensus after = TProcessCensus::take();
    EXPECT_EQ(after, before) << "before: " << describe(before) << "; after: " << describe(after);
    if (HasFatalFailure()) return;
    row.check(run);

    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(TClock::now() - start).count();
    RecordProperty("row_ms", static_cast<int>(ms));
    std::printf("[ row time ] %s: %lld ms\n", row.name, static_cast<long long>(ms));
}

INSTANTIATE_TEST_SUITE_P(Rows, FaultMatrix, ::testing::ValuesIn(kRows),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
