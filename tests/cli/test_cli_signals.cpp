// tarvek2-cli stopped from outside while it updates simulated loggers: a
// supervisor's SIGTERM and a closed terminal's SIGHUP cancel as Ctrl-C does,
// and reach the sessions at once; a second request ends it at once.
// "station" takes them the same way.
#include "TSimulatedLogger.h"
#include "cli_child.h"
#include "temp_folder.h"
#include "text_files.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <csignal>
#include <filesystem>
#include <thread>
#include <unistd.h>

using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

constexpr auto kStartLimit = 120s;

int countOf(const std::string& text, const std::string& part) {
    int n = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

struct StopCase {
    const char* name;
    int sig;
};

class CliStop : public ::testing::TestWithParam<StopCase> {
  protected:
    void startSims(int n, TSimConfig config) {
        for (int i = 0; i < n; ++i) {
            sims.push_back(std::make_unique<TSimulatedLogger>(config));
            ASSERT_TRUE(sims.back()->start()) << sims.back()->lastError();
            ports.push_back(sims.back()->portPath());
        }
    }
    std::vector<std::string> updateArgs() const {
        std::vector<std::string> args{"update", "--log-dir", logDir.string()};
        for (const auto& p : ports) {
            args.push_back("--port");
            args.push_back(p);
        }
        return args;
    }
    // Returns just after the first port's logger took a record, the others'
    // are writing too.
    void waitUntilWriting(const TCliChild& run) {
        for (std::size_t i = sims.size(); i-- > 0;)
            ASSERT_TRUE(sims[i]->waitFor(
                [i](const TSimRecord& r) { return r.echoes >= (i == 0 ? 15 : 3); }, kStartLimit))
                << run.out() << run.err();
    }

    std::vector<std::unique_ptr<TSimulatedLogger>> sims;
    std::vector<std::string> ports;
    TTempFolder temp{"tarvek2-cli-stop"};
    const fs::path logDir = temp.path();
};

TEST_P(CliStop, CancelsEverySessionAtOnceWithSummaryAndLogResults) {
    TSimConfig paced;
    paced.baud = 38400; // an echo takes 36 ms: the update takes minutes
    startSims(2, paced);
    TCliChild run(TARVEK2_CLI, updateArgs());
    waitUntilWriting(run);
    std::vector<int> before;
    for (auto& sim : sims)
        before.push_back(sim->record().echoes);
    run.signal(GetParam().sig);
    ASSERT_EQ(run.wait(30s), 20) << run.out() << run.err();

    // The sessions saw the cancel at once: on the first port, signalled just
    // after a record arrived, that record was the last one; passed on by the
    // run loop, the cancel let the next record out.  Any other port may have
    // been between its records.
    EXPECT_EQ(sims[0]->record().echoes, before[0]);
    for (std::size_t i = 1; i < sims.size(); ++i)
        EXPECT_LE(sims[i]->record().echoes, before[i] + 1) << ports[i];
    EXPECT_NE(run.err().find("tarvek2-cli: cancelling"), std::string::npos) << run.err();

    // The summary: every port cancelled.
    const auto lines = linesOf(run.out());
    ASSERT_GE(lines.size(), 3u) << run.out();
    EXPECT_EQ(fieldsOf(lines[lines.size() - 3])[0], "port");
    for (std::size_t i = 0; i < ports.size(); ++i) {
        const auto f = fieldsOf(lines[lines.size() - 2 + i]);
        ASSERT_EQ(f.size(), 8u) << lines[lines.size() - 2 + i];
        EXPECT_EQ(f[0], ports[i]);
        EXPECT_EQ(f[1], "20");
        EXPECT_EQ(f[7], "Process cancelled!");
    }
    // Each log file ends with its port's result.
    int logs = 0;
    for (const auto& e : fs::directory_iterator(logDir)) {
        ++logs;
        const auto logLines = linesOf(readFile(e.path()));
        ASSERT_FALSE(logLines.empty()) << e.path();
        const auto result = nlohmann::json::parse(logLines.back());
        EXPECT_EQ(result.at("result"), "cancelled") << e.path();
        EXPECT_EQ(result.at("exit"), 20) << e.path();
    }
    EXPECT_EQ(logs, 2);
}

// With no logger plugged in, "station" ends its wait as after Ctrl-C.
TEST_P(CliStop, StationEndsItsWaitAsAfterCtrlC) {
    TCliChild run(TARVEK2_CLI, {"station", "--log-dir", logDir.string()});
    // Its greeting is there once it waits for loggers.
    for (int i = 0; i < 500 && run.err().find("waiting for loggers") == std::string::npos; ++i)
        std::this_thread::sleep_for(20ms);
    run.signal(GetParam().sig);
    ASSERT_EQ(run.wait(30s), 0) << run.err();
    EXPECT_NE(run.err().find("tarvek2-cli: cancelling"), std::string::npos) << run.err();
    // Where no udev daemon runs (as in most containers) it said so once.
    if (::access("/run/udev/control", F_OK) != 0) {
        EXPECT_EQ(countOf(run.err(), "tarvek2-cli: no hot-plug events come (the udev daemon does "
                                     "not run), so the USB serial ports are read again every 1 s."),
                  1)
            << run.err();
    }
}

INSTANTIATE_TEST_SUITE_P(Signals, CliStop,
                         ::testing::Values(StopCase{"Term", SIGTERM}, StopCase{"Hangup", SIGHUP}),
                         [](const auto& info) { return std::string(info.param.name); });

// Ctrl-C, then SIGTERM while the cancel goes on: the program ends at once
// by the second signal (143 as a shell shows it), without waiting for the
// record on the line.
TEST_F(CliStop, ASecondRequestEndsTheProgramAtOnce) {
    TSimConfig slow;
    slow.baud = 9600; // an exchange takes 290 ms: the cancel is still under way
    slow.paceInput = true;
    startSims(1, slow);
    TCliChild run(TARVEK2_CLI, updateArgs());
    waitUntilWriting(run);
    run.signal(SIGINT);
    run.signal(SIGTERM);
    // Whichever of the two is handled second ends it (the kernel takes the
    // lower number first; a sanitizer's runtime may not).
    const int status = run.wait(30s);
    ASSERT_TRUE(status == 128 + SIGTERM || status == 128 + SIGINT) << status << '\n'
                                                                   << run.out() << run.err();
    EXPECT_EQ(run.out().find("Process cancelled!"), std::string::npos) << run.out();
}

} // namespace
