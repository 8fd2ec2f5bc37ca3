// tarvek2-cli against the simulated logger over pseudo-terminals, through
// the real serial backend: complete updates, a repeated echo fault, a port
// that cannot be opened, and a cancel.
#include "TSimulatedLogger.h"
#include "cli_child.h"
#include "images/uConvert1V0.h"
#include "images/uFWCatalog.h"
#include "serial/uRS232.h"
#include "text_files.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <csignal>
#include <fcntl.h>
#include <sstream>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

using namespace std::chrono_literals;

namespace {

constexpr auto kUpdateLimit = 90s; // an unpaced update takes about 5 s

// The blocks an update writes from a built-in image: every full data record
// in file order, the vector table (block 0x03DF) held back to the end.
std::vector<std::uint16_t> blocksToWrite(int slot) {
    TFWCatalog catalog;
    std::vector<std::uint16_t> blocks;
    bool vectorTable = false;
    TRecordConverter conv;
    TBl3FileHeader h;
    int ignored = 0;
    for (int i = 0; i < catalog.getFWLastLine(slot); ++i) {
        catalog.accessFW(slot, 2, i, conv.sHexLine, ignored, h);
        EXPECT_TRUE(conv.LineToRecord());
        if (conv.count() != 0x40 || conv.type() != 0) continue;
        if (conv.address() == 0x03DF)
            vectorTable = true;
        else
            blocks.push_back(conv.address());
    }
    EXPECT_TRUE(vectorTable);
    blocks.push_back(0x03DF);
    return blocks;
}

std::string lastLine(const std::string& text) {
    const auto lines = linesOf(text);
    return lines.empty() ? std::string() : lines.back();
}

class CliEndToEnd : public ::testing::Test {
  protected:
    void startSim(TSimConfig config = {}) {
        sim = std::make_unique<TSimulatedLogger>(config);
        ASSERT_TRUE(sim->start()) << sim->lastError();
    }
    std::unique_ptr<TCliChild> cli(std::vector<std::string> args) {
        return std::make_unique<TCliChild>(TARVEK2_CLI, args);
    }

    std::unique_ptr<TSimulatedLogger> sim;
};

struct UpdateCase {
    const char* name;
    bool startsInBootloader;
    std::uint16_t print;
    int slot;
};

class CliUpdate : public CliEndToEnd, public ::testing::WithParamInterface<UpdateCase> {};

TEST_P(CliUpdate, WritesTheImageInFileOrderWithTheVectorTableLast) {
    const auto c = GetParam();
    TSimConfig config;
    config.startsInBootloader = c.startsInBootloader;
    config.print = c.print;
    startSim(config);
    auto run = cli({"update", "--port", sim->portPath()});
    ASSERT_EQ(run->wait(kUpdateLimit), 0) << run->out() << run->err();

    const TSimRecord r = sim->record();
    const auto expected = blocksToWrite(c.slot);
    EXPECT_EQ(r.lastRunBlocks(), expected);
    EXPECT_EQ(r.blocks, expected); // nothing written twice
    EXPECT_EQ(r.switches, c.startsInBootloader ? 0 : 1);
    EXPECT_EQ(r.runs, 1);
    EXPECT_TRUE(r.updateDone);
    EXPECT_EQ(lastLine(run->out()).substr(12), "Update Tarvek2 V2.08 succesfully completed.");
    // On standard error only what became of the logger: as many records as
    // the simulated logger took.
    EXPECT_EQ(run->err(),
              "tarvek2-cli: the logger was " +
                  std::string(c.startsInBootloader ? "already in its bootloader when the run began"
                                                   : "switched into its bootloader") +
                  ", and all " + std::to_string(expected.size()) +
                  " records were written. It runs the new firmware.\n");
}

INSTANTIATE_TEST_SUITE_P(Modes, CliUpdate,
                         ::testing::Values(UpdateCase{"FromTheApplication", false, 38, 1},
                                           UpdateCase{"FromTheBootloader", true, 47, 2}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(CliEndToEnd, EchoFaultIsRepeatedAndTheUpdateCompletes) {
    TSimConfig config;
    config.corruptEchoAt = 100; // once
    startSim(config);
    auto run = cli({"update", "--port", sim->portPath(), "--json"});
    ASSERT_EQ(run->wait(kUpdateLimit), 0) << run->out() << run->err();

    const auto lines = linesOf(run->out());
    ASSERT_FALSE(lines.empty());
    int repeats = 0;
    for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
        const auto j = nlohmann::json::parse(lines[i]);
        if (j.at("name") == "cNT_ABORT") {
            EXPECT_EQ(j.at("value"), 44);
            EXPECT_EQ(j.at("text"), "Repeat because programming error!");
            ++repeats;
        }
    }
    EXPECT_EQ(repeats, 1);
    const auto summary = nlohmann::json::parse(lines.back());
    EXPECT_EQ(summary.at("result"), "done");
    EXPECT_EQ(summary.at("exit"), 0);
    EXPECT_EQ(summary.at("restarts"), 1);

    const TSimRecord r = sim->record();
    EXPECT_EQ(r.corruptedEchoes, 1);
    EXPECT_EQ(r.runs, 2);
    EXPECT_EQ(r.lastRunBlocks(), blocksToWrite(1));
    EXPECT_TRUE(r.updateDone);
}

TEST_F(CliEndToEnd, InfoChoosesTheImageAndWritesNothing) {
    startSim();
    auto run = cli({"info", "--port", sim->portPath()});
    ASSERT_EQ(run->wait(kUpdateLimit), 0) << run->out() << run->err();
    EXPECT_NE(run->out().find("-> Only read update info!\n"), std::string::npos);
    EXPECT_NE(run->out().find("Image for this logger: Tarvek2 V2.08, A10e WLAN UART, BL3.0"),
              std::string::npos);
    EXPECT_EQ(sim->record().runs, 0);
    EXPECT_TRUE(sim->record().blocks.empty());
}

TEST_F(CliEndToEnd, PortThatCannotBeOpenedNamesCauseAndRemedy) {
    startSim();
    // A port that another program holds (flock, as every updater takes it).
    const int holder = ::open(sim->portPath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(::flock(holder, LOCK_EX | LOCK_NB), 0);

    struct Case {
        std::string port;
        std::string hint;
    };
    for (const Case& c : {Case{"/dev/ttyUSB-tarvek2-missing", "does not exist"},
                          Case{sim->portPath(), "in use by another program"}}) {
        SCOPED_TRACE(c.port);
        auto run = cli({"update", "--port", c.port});
        EXPECT_EQ(run->wait(30s), 10);
        EXPECT_EQ(lastLine(run->out()).substr(12),
                  "Aborted because serial port \"" + c.port + "\" is not ready!");
        EXPECT_NE(run->err().find(c.hint), std::string::npos) << run->err();
    }
    ::close(holder);
    EXPECT_EQ(sim->record().frames, 0);
}

TEST_F(CliEndToEnd, RelaxingOptionsFollowTheSettingsFile) {
    struct Case {
        std::string settings;
        int exit; // 2: refused; 10: accepted, and then the port is missing
    };
    for (const Case& c :
         {Case{"", 2}, Case{"[General]\nintern=7361\n", 10}, Case{"intern=7361\n", 10},
          Case{"[General]\nintern=yes\n", 2}, Case{"[Other]\nintern=7361\n", 2}}) {
        SCOPED_TRACE(c.settings);
        TCliChild run(TARVEK2_CLI,
                      {"update", "--port", "/dev/ttyUSB-tarvek2-missing", "--no-check-info"},
                      c.settings);
        EXPECT_EQ(run.wait(30s), c.exit) << run.err();
        if (c.exit == 2) {
            EXPECT_NE(run.err().find("internal mode"), std::string::npos);
        }
    }
}

TEST_F(CliEndToEnd, CtrlCCancelsAndReleasesThePort) {
    TSimConfig config;
    config.baud = 38400; // paced: the update takes minutes, the cancel comes early
    startSim(config);
    auto run = cli({"update", "--port", sim->portPath()});
    ASSERT_TRUE(sim->waitFor([](const TSimRecord& r) { return r.echoes >= 5; }, 60s))
        << run->out() << run->err();
    run->signal(SIGINT);
    ASSERT_EQ(run->wait(10s), 20) << run->out() << run->err();
    EXPECT_EQ(lastLine(run->out()).substr(12), "Process cancelled!");
    EXPECT_NE(run->err().find("cancelling"), std::string::npos);
    EXPECT_LT(sim->record().echoes, 100);

    // The port is free at once: not locked, and not left exclusive (which
    // would keep out every opener but root).
    const int fd = ::open(sim->portPath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(fd, 0);
    int exclusive = -1;
    ASSERT_EQ(::ioctl(fd, TIOCGEXCL, &exclusive), 0);
    EXPECT_EQ(exclusive, 0);
    EXPECT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);
    ::close(fd);
    TPortHandle again = openPort(sim->portPath(), 9600);
    EXPECT_TRUE(again);
    closePort(again);
}

} // namespace
