// Several ports in-process, each on its own scripted logger: the prefixed
// lines, the summary and the exit status of "update" with several ports or
// --all, and "station" starting each port that appears once while it stays.
#include "cli/commands/sessionCommand.h"
#include "cli/commands/stationCommand.h"
#include "cli/run/cancelFlags.h"
#include "fake_port_events.h"
#include "images/uFWVersions.h"
#include "logger_bench.h"
#include "scripted_logger.h"
#include "session/uExceptions1V0.h"
#include "text_files.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <functional>
#include <map>
#include <regex>
#include <sstream>
#include <thread>

namespace {

class MultiRun : public ::testing::Test {
  protected:
    TSharedFakeClock clock;
    TBench bench;
    std::atomic<bool> cancel{false};
    std::ostringstream out, err;
    TUpdateOptions o;
    std::vector<std::string> portList;

    TCommandEnv env() {
        TCommandEnv e{out, err, [] { return false; }, "SOURCE", false, cancel, {}};
        e.seams.clock = &clock;
        e.seams.opener = bench.opener();
        e.seams.portList = [this] { return portList; };
        e.seams.idleEvery = std::chrono::milliseconds(5);
        return e;
    }
    int run() {
        auto e = env();
        return runSessionCommand(o, e);
    }
    // "station" with a hot-plug source in the test's hands: look() runs at
    // every step and says whether a port arrived or went.
    TCommandEnv stationEnv(std::function<bool()> look) {
        auto e = env();
        e.seams.portEvents = [look] {
            return std::make_unique<TFakePortEvents>(TFakePortEvents::TSetup{.look = look});
        };
        return e;
    }
};

TScriptedIdentity otherUpdateId() {
    TScriptedIdentity id;
    id.updateInfo = 0x1234;
    return id;
}

struct StatusCase {
    const char* name;
    std::vector<const char*> loggers; // "ok", "47" or "none" (no logger: reason 10)
    int exit;
};

class ExitStatus : public MultiRun, public ::testing::WithParamInterface<StatusCase> {};

// 0 when every port succeeded, else the status of the first port in the
// order given that did not.
TEST_P(ExitStatus, IsTheFirstPortThatDidNotSucceed) {
    const auto& c = GetParam();
    for (std::size_t i = 0; i < c.loggers.size(); ++i) {
        const std::string port = "COM" + std::to_string(i + 1);
        o.ports.push_back(port);
        if (std::string(c.loggers[i]) == "ok") bench.add(port);
        if (std::string(c.loggers[i]) == "47") bench.add(port, otherUpdateId());
    }
    EXPECT_EQ(run(), c.exit) << out.str() << err.str();
    const auto lines = linesOf(out.str());
    ASSERT_GE(lines.size(), c.loggers.size() + 1);
    // The summary closes the output: a row per port in the order given.
    for (std::size_t i = 0; i < c.loggers.size(); ++i) {
        const auto f = fieldsOf(lines[lines.size() - c.loggers.size() + i]);
        ASSERT_EQ(f.size(), 8u);
        EXPECT_EQ(f[0], o.ports[i]);
        const std::string kind = c.loggers[i];
        EXPECT_EQ(f[1], kind == "ok" ? "0" : kind == "47" ? "47" : "10");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, ExitStatus,
    ::testing::Values(StatusCase{"AllDone", {"ok", "ok", "ok"}, 0},
                      StatusCase{"SecondFails", {"ok", "47", "none"}, 47},
                      StatusCase{"FirstFails", {"none", "47", "ok"}, cEX_PORT_NOT_READY},
                      StatusCase{"LastFails", {"ok", "ok", "none"}, cEX_PORT_NOT_READY}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(MultiRun, EveryLineCarriesItsPortAndTheSummaryComesLast) {
    o.ports = {"COM1", "COM2"};
    bench.add("COM1");
    TScriptedIdentity print47;
    print47.print = 47;
    print47.inBootloader = true;
    bench.add("COM2", print47);
    ASSERT_EQ(run(), 0) << err.str();

    const auto lines = linesOf(out.str());
    const std::regex prefixed(R"((COM[12])\t\d\d-\d\d-\d\d -> (.*))");
    std::map<std::string, std::vector<std::string>> texts;
    std::size_t i = 0;
    for (std::smatch m; i < lines.size() && std::regex_match(lines[i], m, prefixed); ++i)
        texts[m[1]].push_back(m[2]);
    ASSERT_EQ(lines.size() - i, 3u); // header and two rows, nothing else
    EXPECT_EQ(fieldsOf(lines[i])[0], "port");
    for (const auto& [port, slot] : {std::pair{"COM1", 1}, std::pair{"COM2", 2}}) {
        SCOPED_TRACE(port);
        const auto& t = texts[port];
        ASSERT_FALSE(t.empty());
        EXPECT_EQ(t.front(), "Start at serial port \"" + std::string(port) + "\"");
        EXPECT_EQ(t.back(), "Update Tarvek2 V2.08 succesfully completed.");
        EXPECT_NE(std::find(t.begin(), t.end(), "Progress 50%"), t.end());
        EXPECT_EQ(bench.loggers[port]->writtenBlocks.back(), 0x03DF);
        const auto row = fieldsOf(lines[i + slot]);
        EXPECT_EQ(row[0], port);
        EXPECT_NE(row[5].find(slot == 1 ? getPrintName(38) : getPrintName(47)), std::string::npos)
            << row[5];
    }
    // On standard error only what became of each logger, with its port.
    const std::string kNew = " records were written. It runs the new firmware.\n";
    const auto notes = linesOf(err.str());
    ASSERT_EQ(notes.size(), 2u) << err.str();
    for (const std::string& note :
         {"COM1\ttarvek2-cli: the logger was switched into its bootloader, and all 2365" + kNew,
          "COM2\ttarvek2-cli: the logger was already in its bootloader when the run began, and "
          "all 2364" +
              kNew})
        EXPECT_NE(err.str().find(note), std::string::npos) << err.str();
}

TEST_F(MultiRun, QuietShowsEachPortsOutcomeAndTheSummary) {
    o.ports = {"COM1", "COM2"};
    o.quiet = true;
    bench.add("COM1");
    EXPECT_EQ(run(), cEX_PORT_NOT_READY);
    const auto lines = linesOf(out.str());
    ASSERT_EQ(lines.size(), 5u) << out.str();
    std::vector<std::string> finals(lines.begin(), lines.begin() + 2);
    std::sort(finals.begin(), finals.end());
    EXPECT_EQ(finals[0].substr(0, 5), "COM1\t");
    EXPECT_EQ(finals[0].substr(17), "Update Tarvek2 V2.08 succesfully completed.");
    EXPECT_EQ(finals[1].substr(17), "Aborted because serial port \"COM2\" is not ready!");
    EXPECT_EQ(fieldsOf(lines[2])[0], "port");
    // The notes on standard error name their port too.
    EXPECT_NE(err.str().find("COM2\ttarvek2-cli: Serial port \"COM2\" does not exist. Check that "
                             "the logger's cable is plugged in, or pick another port.\n"
                             "COM2\ttarvek2-cli: the logger was not switched into its "
                             "bootloader, and no record was written.\n"),
              std::string::npos)
        << err.str();
}

TEST_F(MultiRun, JsonNamesThePortInEveryObjectAndEndsEachPortWithItsResult) {
    o.ports = {"COM1", "COM2"};
    o.json = true;
    bench.add("COM1");
    bench.add("COM2", otherUpdateId());
    EXPECT_EQ(run(), cEX_UPID_MISMATCH);
    std::map<std::string, int> objects, results;
    for (const auto& line : linesOf(out.str())) {
        const auto j = nlohmann::json::parse(line); // no summary table
        const std::string port = j.at("port");
        if (j.contains("result")) {
            ++results[port];
            EXPECT_EQ(j.at("exit"), port == "COM1" ? 0 : 47);
        } else {
            EXPECT_EQ(results[port], 0) << "a notification after its port's result";
            ++objects[port];
        }
    }
    EXPECT_EQ(results, (std::map<std::string, int>{{"COM1", 1}, {"COM2", 1}}));
    EXPECT_GT(objects["COM1"], objects["COM2"]);
}

TEST_F(MultiRun, AllUpdatesEveryListedPort) {
    o.allPorts = true;
    portList = {"COM7", "COM3"};
    bench.add("COM7");
    bench.add("COM3");
    EXPECT_EQ(run(), 0);
    EXPECT_EQ(bench.loggers["COM7"]->opens, 1);
    EXPECT_EQ(bench.loggers["COM3"]->opens, 1);
    const auto lines = linesOf(out.str());
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(fieldsOf(lines[lines.size() - 2])[0], "COM7"); // in the list's order
    EXPECT_EQ(fieldsOf(lines[lines.size() - 1])[0], "COM3");

    // No port at all: nothing to do, and the operator is told.
    portList.clear();
    err.str("");
    EXPECT_EQ(run(), cEX_PORT_NOT_READY);
    EXPECT_NE(err.str().find("no USB serial port found"), std::string::npos);
}

TEST_F(MultiRun, CtrlCCancelsEveryPortAndEachEndsOnce) {
    o.ports = {"COM1", "COM2", "COM3"};
    o.json = true;
    // Loggers that never answer: the sessions restart until the Ctrl-C.
    o.maxRestarts = 1000;
    int identifies = 0;
    for (const auto& p : o.ports)
        bench.add(p).fault = [&, p](TExchange& ex) {
            if (ex.kind != TExchange::identify) return;
            ex.answer.clear();
            if (p == "COM3" && ++identifies == 12) cancel = true;
        };
    EXPECT_EQ(run(), cEX_CANCELLED);
    std::map<std::string, int> finalCancels, results;
    for (const auto& line : linesOf(out.str())) {
        const auto j = nlohmann::json::parse(line);
        if (j.contains("result")) {
            ++results[j.at("port")];
            EXPECT_EQ(j.at("result"), "cancelled");
        } else if (j.at("kind") == cNT_ABORT) {
            EXPECT_EQ(j.at("value"), cEX_CANCELLED);
            ++finalCancels[j.at("port")];
        }
    }
    for (const auto& p : o.ports) {
        EXPECT_EQ(finalCancels[p], 1) << p;
        EXPECT_EQ(results[p], 1) << p;
        EXPECT_FALSE(bench.loggers[p]->open) << p;
    }
    // One note for the whole run.
    EXPECT_EQ(err.str().find("cancelling"), err.str().rfind("cancelling")) << err.str();
}

// "station": each port that appears is updated once while it stays; pulled
// and plugged in again, it is updated again.
TEST_F(MultiRun, StationUpdatesEachPortOnceWhileItStaysPluggedIn) {
    bench.add("COM1");
    bench.add("COM2");
    auto rows = [this] {
        int n = 0;
        for (const auto& l : linesOf(out.str()))
            n += l.rfind("COM", 0) == 0 ? 1 : 0;
        return n;
    };
    int phase = 0, calls = 0;
    auto e = stationEnv([] { return true; }); // the list is read at every step
    // Called on the station's thread, between its steps.
    e.seams.portList = [&]() -> std::vector<std::string> {
        ++calls;
        switch (phase) {
        case 0: // both plugged in until both are done
            if (rows() == 2) phase = 1, calls = 0;
            return {"COM1", "COM2"};
        case 1: // they stay: nothing starts again
            if (calls == 30) phase = 2, calls = 0;
            return {"COM1", "COM2"};
        case 2: // COM1 pulled
            if (calls == 3) {
                phase = 3;
                bench.add("COM1"); // a fresh logger on the same port
            }
            return {"COM2"};
        default: // and plugged in again
            if (rows() == 3) cancel = true;
            return {"COM2", "COM1"};
        }
    };
    EXPECT_EQ(runStationCommand(o, e), 0) << out.str() << err.str();
    const auto lines = linesOf(out.str());
    ASSERT_EQ(lines.size(), 3u) << out.str();
    std::vector<std::string> ports;
    for (const auto& l : lines) {
        const auto f = fieldsOf(l);
        ASSERT_EQ(f.size(), 8u) << l;
        ports.push_back(f[0]);
        EXPECT_EQ(f[1], "0");
        EXPECT_EQ(f[7], "Update Tarvek2 V2.08 succesfully completed.");
    }
    std::sort(ports.begin(), ports.end());
    EXPECT_EQ(ports, (std::vector<std::string>{"COM1", "COM1", "COM2"}));
    EXPECT_EQ(bench.loggers["COM1"]->opens, 1); // the second logger, once
    EXPECT_EQ(bench.loggers["COM2"]->opens, 1);
}

// A logger pulled and plugged in again while its run still goes on is
// updated once that run has ended, though no port event comes then.
TEST_F(MultiRun, StationStartsAReturningPortWhenItsRunEnds) {
    std::atomic<bool> identified{false}, hold{true};
    bench.add("COM1").fault = [&](TExchange& ex) {
        if (ex.kind != TExchange::identify) return;
        identified = true;
        while (hold)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    };
    std::vector<std::string> ports{"COM1"};
    int phase = 0, looks = 0;
    auto e = stationEnv([&] {
        ++looks;
        switch (phase) {
        case 0: // the first run is under way: the logger is pulled
            if (!identified) return false;
            ports = {};
            phase = 1;
            return true;
        case 1: // and plugged in again at once
            ports = {"COM1"};
            phase = 2;
            return true;
        case 2: // the first run may end now; no port event follows
            hold = false;
            phase = 3;
            return false;
        default:
            if (linesOf(out.str()).size() == 2 || looks > 20000) cancel = true;
            return false;
        }
    });
    e.seams.portList = [&] { return ports; };
    EXPECT_EQ(runStationCommand(o, e), 0) << out.str() << err.str();
    const auto lines = linesOf(out.str());
    ASSERT_EQ(lines.size(), 2u) << out.str() << err.str();
    for (const auto& l : lines)
        EXPECT_EQ(fieldsOf(l)[0], "COM1") << l;
    EXPECT_EQ(bench.loggers["COM1"]->opens, 2);
}

TEST_F(MultiRun, StationCtrlCCancelsTheRunningSessions) {
    bench.add("COM1").fault = [](TExchange& ex) {
        if (ex.kind == TExchange::identify) ex.answer.clear();
    };
    o.maxRestarts = 1000;
    int calls = 0;
    auto e = stationEnv([] { return true; });
    e.seams.portList = [&]() -> std::vector<std::string> {
        if (++calls == 20) cancel = true;
        return {"COM1"};
    };
    EXPECT_EQ(runStationCommand(o, e), cEX_CANCELLED);
    const auto lines = linesOf(out.str());
    ASSERT_EQ(lines.size(), 1u) << out.str();
    EXPECT_EQ(fieldsOf(lines[0])[7], "Process cancelled!");
    EXPECT_FALSE(bench.loggers["COM1"]->open);
}

} // namespace

namespace {

// What a signal handler does to a run: it raises the sessions' cancel flags
// directly, and the run loop's own flag (set here never) is not what stops
// them.  Raised while COM1 writes its 20th record and COM2 its 5th, neither
// writes another one.
TEST_F(MultiRun, RaisedCancelFlagsStopEverySessionBeforeItsNextRecord) {
    o.ports = {"COM1", "COM2"};
    std::atomic<int> com1{0}, com2{0};
    std::atomic<bool> raised{false};
    // Each port is held in the middle of its record until the other one is
    // where it should be.
    auto waitFor = [](const std::function<bool()>& done) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (!done() && std::chrono::steady_clock::now() < until)
            std::this_thread::yield();
    };
    bench.add("COM1").fault = [&](TExchange& ex) {
        if (ex.kind != TExchange::dataRecord || ++com1 != 20) return;
        waitFor([&] { return com2 == 5; });
        raiseEveryCancelFlag();
        raised = true;
    };
    bench.add("COM2").fault = [&](TExchange& ex) {
        if (ex.kind != TExchange::dataRecord || ++com2 != 5) return;
        waitFor([&] { return raised.load(); });
    };
    EXPECT_EQ(run(), cEX_CANCELLED) << out.str() << err.str();
    EXPECT_EQ(com1, 20);
    EXPECT_EQ(com2, 5);
    const auto lines = linesOf(out.str());
    ASSERT_GE(lines.size(), 2u);
    for (std::size_t i = 0; i < 2; ++i) {
        const auto f = fieldsOf(lines[lines.size() - 2 + i]);
        ASSERT_EQ(f.size(), 8u) << lines[lines.size() - 2 + i];
        EXPECT_EQ(f[1], "20");
        EXPECT_EQ(f[7], "Process cancelled!");
    }
    EXPECT_FALSE(cancel);
}

// Without hot-plug events "station" says once that it reads the port list
// itself, and how often; with them it says nothing of it.
TEST_F(MultiRun, StationSaysOnceWhenItRescansForLackOfHotPlugEvents) {
    for (const bool events : {false, true}) {
        SCOPED_TRACE(events);
        err.str("");
        cancel = true; // ends the wait at the first step
        auto e = env();
        e.seams.portEvents = [events] {
            return std::make_unique<TFakePortEvents>(
                TFakePortEvents::TSetup{.available = events, .look = {}});
        };
        EXPECT_EQ(runStationCommand(o, e), 0);
        const std::regex note(
            R"(tarvek2-cli: no hot-plug events come( \([^)]+\))?, so the USB serial ports are read again every 1 s\.)");
        int notes = 0;
        for (const auto& line : linesOf(err.str()))
            notes += std::regex_match(line, note) ? 1 : 0;
        EXPECT_EQ(notes, events ? 0 : 1) << err.str();
    }
}

} // namespace
