// tarvek2-cli with several simulated loggers in one command, through the
// real serial backend: each port gets its own session, image choice,
// restarts, outcome and log file; the summary and the exit status cover
// them all; Ctrl-C cancels every session and releases every port.
#include "TSimulatedLogger.h"
#include "cli_child.h"
#include "images/uConvert1V0.h"
#include "images/uFWCatalog.h"
#include "images/uFWVersions.h"
#include "serial/uRS232.h"
#include "session/uExceptions1V0.h"
#include "session/uNotify.h"
#include "tarvek2_version.h"
#include "temp_folder.h"
#include "text_files.h"
#include "write_order.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

constexpr auto kRunLimit = 240s; // four unpaced updates at once: about 10 s

// The port is free: not locked, not left exclusive, and it opens.
void expectReleased(const std::string& port) {
    SCOPED_TRACE(port);
    const int fd = ::open(port.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(fd, 0);
    int exclusive = -1;
    ASSERT_EQ(::ioctl(fd, TIOCGEXCL, &exclusive), 0);
    EXPECT_EQ(exclusive, 0);
    EXPECT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);
    ::close(fd);
    TPortHandle again = openPort(port, 9600);
    EXPECT_TRUE(again);
    closePort(again);
}

class CliMultiPort : public ::testing::Test {
  protected:
    void startSims(const std::vector<TSimConfig>& configs) {
        for (const auto& c : configs) {
            sims.push_back(std::make_unique<TSimulatedLogger>(c));
            ASSERT_TRUE(sims.back()->start()) << sims.back()->lastError();
            ports.push_back(sims.back()->portPath());
        }
    }
    std::vector<std::string> portArgs() const {
        std::vector<std::string> args;
        for (const auto& p : ports) {
            args.push_back("--port");
            args.push_back(p);
        }
        return args;
    }
    std::vector<std::unique_ptr<TSimulatedLogger>> sims;
    std::vector<std::string> ports;
    TTempFolder temp{"tarvek2-cli-logs"};
    const fs::path logDir = temp.path();
};

TEST_F(CliMultiPort, FourLoggersEachGetTheirOwnSessionSummaryAndLogFile) {
    TSimConfig print38, print47, echoOnce, otherId;
    print47.print = 47;
    print47.startsInBootloader = true;
    echoOnce.corruptEchoAt = 100; // differs once: restart, then complete
    otherId.updateInfo = 0x1234;  // another update ID: no image fits
    startSims({print38, print47, echoOnce, otherId});
    auto args = portArgs();
    args.insert(args.begin(), "update");
    args.push_back("--log-dir");
    args.push_back((logDir / "new").string()); // made when missing
    TCliChild run(TARVEK2_CLI, args);
    ASSERT_EQ(run.wait(kRunLimit), 47) << run.out() << run.err();

    // The right blocks on each logger.
    const std::vector<std::vector<std::uint16_t>> blocks{
        blocksInWriteOrder(1), blocksInWriteOrder(2), blocksInWriteOrder(1), {}};
    for (std::size_t i = 0; i < sims.size(); ++i) {
        SCOPED_TRACE(ports[i]);
        const TSimRecord r = sims[i]->record();
        EXPECT_EQ(r.lastRunBlocks(), blocks[i]);
        EXPECT_EQ(r.updateDone, i < 3);
        EXPECT_EQ(r.runs, i == 2 ? 2 : i == 3 ? 0 : 1);
    }
    EXPECT_EQ(sims[2]->record().corruptedEchoes, 1);

    // Every report line carries its port and a tab; the summary follows.
    const auto lines = linesOf(run.out());
    ASSERT_GE(lines.size(), 5u);
    const std::vector<std::string> summary(lines.end() - 5, lines.end());
    const std::regex report(R"(([^\t]+)\t(\d\d-\d\d-\d\d -> .*))");
    std::map<std::string, std::vector<std::string>> perPort;
    for (std::size_t i = 0; i + 5 < lines.size(); ++i) {
        std::smatch m;
        ASSERT_TRUE(std::regex_match(lines[i], m, report)) << lines[i];
        perPort[m[1]].push_back(m[2]);
    }
    EXPECT_EQ(fieldsOf(summary[0])[0], "port");
    const std::vector<std::string> exits{"0", "0", "0", "47"};
    const std::vector<std::string> outcomes{
        "Update Tarvek2 V2.08 succesfully completed.",
        "Update Tarvek2 V2.08 succesfully completed.",
        "Update Tarvek2 V2.08 succesfully completed.",
        "There is no update available or the logger has another update ID!"};
    for (std::size_t i = 0; i < ports.size(); ++i) {
        SCOPED_TRACE(ports[i]);
        const auto f = fieldsOf(summary[i + 1]);
        ASSERT_EQ(f.size(), 8u) << summary[i + 1];
        EXPECT_EQ(f[0], ports[i]);
        EXPECT_EQ(f[1], exits[i]);
        EXPECT_EQ(f[4], getPrintName(i == 1 ? 47 : 38)) << summary[i + 1];
        EXPECT_EQ(f[5] == "-", i == 3);
        EXPECT_EQ(f[7], outcomes[i]);
        const auto& mine = perPort[ports[i]];
        ASSERT_FALSE(mine.empty());
        EXPECT_EQ(mine.front().substr(12), "Start at serial port \"" + ports[i] + "\"");
        EXPECT_EQ(mine.back().substr(12), outcomes[i]);
    }
    // The logger whose echo differed once ran two sessions.
    EXPECT_EQ(std::count_if(perPort[ports[2]].begin(), perPort[ports[2]].end(),
                            [](const std::string& l) {
                                return l.substr(12).rfind("Start at serial port", 0) == 0;
                            }),
              2);

    // One log file per port: a heading, the same report lines, then the result.
    std::map<std::string, fs::path> files;
    for (const auto& e : fs::directory_iterator(logDir / "new"))
        files[e.path().filename().string()] = e.path();
    ASSERT_EQ(files.size(), 4u);
    for (std::size_t i = 0; i < ports.size(); ++i) {
        SCOPED_TRACE(ports[i]);
        const std::string base = fs::path(ports[i]).filename().string();
        auto it = std::find_if(files.begin(), files.end(), [&](const auto& f) {
            return std::regex_match(f.first, std::regex(base + R"(-\d{8}-\d{6}\.log)"));
        });
        ASSERT_NE(it, files.end());
        auto logLines = linesOf(readFile(it->second));
        ASSERT_GE(logLines.size(), 2u);
        EXPECT_EQ(logLines.front().rfind("tarvek2-cli " TARVEK2_VERSION ", ", 0), 0u)
            << logLines.front();
        EXPECT_EQ(logLines.front().substr(logLines.front().size() - ports[i].size() - 7),
                  ", port " + ports[i]);
        logLines.erase(logLines.begin());
        const auto result = nlohmann::json::parse(logLines.back());
        logLines.pop_back();
        // The notes too, the last one what became of the logger.
        ASSERT_FALSE(logLines.empty());
        EXPECT_EQ(logLines.back().rfind("tarvek2-cli: the logger ", 0), 0u) << logLines.back();
        std::erase_if(logLines,
                      [](const std::string& l) { return l.rfind("tarvek2-cli: ", 0) == 0; });
        EXPECT_EQ(logLines, perPort[ports[i]]);
        EXPECT_EQ(result.at("port"), ports[i]);
        EXPECT_EQ(result.at("exit"), std::stoi(exits[i]));
        EXPECT_EQ(result.at("restarts"), i == 2 ? 1 : 0);
        EXPECT_EQ(result.at("text"), outcomes[i]);
    }
}

// A cable pulled in the middle of one port's update ends that port with its
// port error; the loggers on either side of it are written to the end, and
// the pulled port's log file still holds what was reported and its result.
TEST_F(CliMultiPort, ALinePulledMidUpdateEndsOnlyItsOwnPort) {
    TSimConfig pulled;
    pulled.cutAt = 5;
    startSims({TSimConfig{}, pulled, TSimConfig{}});
    auto args = portArgs();
    args.insert(args.begin(), "update");
    args.push_back("--log-dir");
    args.push_back(logDir.string());
    TCliChild run(TARVEK2_CLI, args);
    ASSERT_EQ(run.wait(kRunLimit), cEX_PORT_IO) << run.out() << run.err();

    EXPECT_TRUE(sims[1]->lineCut());
    for (const std::size_t i : {0u, 2u}) {
        SCOPED_TRACE(ports[i]);
        EXPECT_TRUE(sims[i]->record().updateDone);
        EXPECT_EQ(sims[i]->record().lastRunBlocks(), blocksInWriteOrder(1));
    }
    const auto lines = linesOf(run.out());
    ASSERT_GE(lines.size(), 4u);
    const std::vector<std::string> exits{"0", std::to_string(cEX_PORT_IO), "0"};
    for (std::size_t i = 0; i < ports.size(); ++i) {
        const auto f = fieldsOf(lines[lines.size() - 3 + i]);
        ASSERT_EQ(f.size(), 8u);
        EXPECT_EQ(f[0], ports[i]);
        EXPECT_EQ(f[1], exits[i]);
    }
    EXPECT_EQ(fieldsOf(lines.back()).back(), "Update Tarvek2 V2.08 succesfully completed.");

    const std::string base = fs::path(ports[1]).filename().string();
    std::vector<std::string> logLines;
    for (const auto& e : fs::directory_iterator(logDir))
        if (e.path().filename().string().rfind(base + "-", 0) == 0)
            logLines = linesOf(readFile(e.path()));
    ASSERT_GE(logLines.size(), 3u);
    EXPECT_NE(logLines[1].find("Start at serial port"), std::string::npos);
    const auto result = nlohmann::json::parse(logLines.back());
    EXPECT_EQ(result.at("port"), ports[1]);
    EXPECT_EQ(result.at("exit"), cEX_PORT_IO);
    const std::string outcome = "Aborted because error when reading/writing to serial port!";
    EXPECT_EQ(result.at("text"), outcome);
    EXPECT_TRUE(std::any_of(logLines.begin(), logLines.end(), [&](const std::string& l) {
        return l.find(outcome) != std::string::npos;
    }));
}

TEST_F(CliMultiPort, SamePortTwiceIsAUsageError) {
    startSims({TSimConfig{}});
    const std::string bare = ports[0].substr(5); // "pts/N": the same port under /dev
    TCliChild run(TARVEK2_CLI, {"update", "--port", ports[0], "--port", bare});
    EXPECT_EQ(run.wait(30s), 2);
    EXPECT_NE(run.err().find("given twice"), std::string::npos) << run.err();
    EXPECT_EQ(sims[0]->record().frames, 0);
}

TEST_F(CliMultiPort, CtrlCCancelsEverySessionAndReleasesEveryPort) {
    TSimConfig paced;
    paced.baud = 38400; // the updates take minutes, the cancel comes early
    startSims({paced, paced, paced, paced});
    auto args = portArgs();
    args.insert(args.begin(), "update");
    args.push_back("--json");
    TCliChild run(TARVEK2_CLI, args);
    for (auto& sim : sims)
        ASSERT_TRUE(sim->waitFor([](const TSimRecord& r) { return r.echoes >= 3; }, 120s))
            << run.out() << run.err();
    run.signal(SIGINT);
    ASSERT_EQ(run.wait(30s), 20) << run.out() << run.err();
    EXPECT_NE(run.err().find("cancelling"), std::string::npos);

    std::map<std::string, int> finals;
    std::map<std::string, nlohmann::json> results;
    for (const auto& line : linesOf(run.out())) {
        const auto j = nlohmann::json::parse(line);
        if (j.contains("result")) {
            results[j.at("port")] = j;
            continue;
        }
        const auto kind = j.at("kind").get<std::uint32_t>();
        if (isFinalNotification(kind)) {
            ++finals[j.at("port")];
            EXPECT_EQ(j.at("text"), "Process cancelled!");
        }
    }
    for (const auto& port : ports) {
        EXPECT_EQ(finals[port], 1) << port;
        EXPECT_EQ(results[port].value("result", ""), "cancelled") << port;
        expectReleased(port);
    }
    for (auto& sim : sims)
        EXPECT_LT(sim->record().echoes, 200);
}

} // namespace
