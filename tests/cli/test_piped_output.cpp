// The output for programs: what "update" writes when standard output is not
// a terminal, pinned line by line for whole runs, so that scripts reading it
// keep working whatever the terminal shows.  Only the time stamps, which
// depend on how the session threads and the run's thread interleave, are
// masked; the lines of several ports are compared port by port.
//
// A golden file is written afresh with TARVEK2_WRITE_GOLDEN=1 in the
// environment (then read the difference before committing it).
#include "cli/commands/sessionCommand.h"
#include "logger_bench.h"
#include "text_files.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdlib>
#include <map>
#include <regex>
#include <sstream>

namespace {

using TJson = nlohmann::ordered_json;

std::filesystem::path goldenPath(const std::string& name) {
    return std::filesystem::path(TARVEK2_GOLDEN_DIR) / name;
}

bool writingGolden() {
    const char* w = std::getenv("TARVEK2_WRITE_GOLDEN");
    return w != nullptr && std::string(w) == "1";
}

// The golden file's text; written from actual instead when asked to.
std::string golden(const std::string& name, const std::string& actual) {
    if (writingGolden()) writeFile(goldenPath(name), actual);
    return readFile(goldenPath(name));
}

// "12-05-20 -> " at a line's start or after its port's tab.
std::string maskedStamps(const std::string& text) {
    static const std::regex stamp(R"((^|\t)\d\d-\d\d-\d\d -> )", std::regex::multiline);
    return std::regex_replace(text, stamp, "$1hh-nn-ss -> ");
}

// The lines of each port together, the ports in the order given, then the
// lines without a port (the summary) in their order.
std::string groupedByPort(const std::string& text, const std::vector<std::string>& ports) {
    std::map<std::string, std::string> byPort;
    std::string rest;
    for (const auto& line : linesOf(text)) {
        const auto tab = line.find('\t');
        if (tab == std::string::npos)
            rest += line + '\n';
        else
            byPort[line.substr(0, tab)] += line + '\n';
    }
    std::string grouped;
    for (const auto& p : ports)
        grouped += byPort[p];
    return grouped + rest;
}

class PipedOutput : public ::testing::Test {
  protected:
    TSharedFakeClock clock;
    TBench bench;
    std::atomic<bool> cancel{false};
    std::ostringstream out, err;
    TUpdateOptions o;

    int run() {
        TCommandEnv env{out, err, [] { return false; }, "SOURCE", false, cancel, {}};
        env.seams.clock = &clock;
        env.seams.opener = bench.opener();
        env.seams.idleEvery = std::chrono::milliseconds(5);
        env.seams.width = 80;
        return runSessionCommand(o, env);
    }

    void expectNoTerminalControls() {
        const std::string e = err.str();
        EXPECT_EQ(e.find('\r'), std::string::npos) << e;
        EXPECT_EQ(e.find('\x1b'), std::string::npos) << e;
    }
};

TEST_F(PipedOutput, OnePortsWholeUpdateAsText) {
    o.ports = {"COM5"};
    bench.add("COM5");
    ASSERT_EQ(run(), 0) << err.str();
    const std::string actual = maskedStamps(out.str());
    EXPECT_EQ(actual, golden("update_one_port.txt", actual));
    expectNoTerminalControls();
}

TEST_F(PipedOutput, SeveralPortsPrefixedThenTheSummary) {
    // A logger updated, one that no image fits, and a port without a logger.
    o.ports = {"COM1", "COM2", "COM3"};
    bench.add("COM1");
    TScriptedIdentity other;
    other.updateInfo = 0x1234;
    bench.add("COM2", other);
    EXPECT_EQ(run(), 47) << err.str();
    // The durations, and so the width of their column, depend on how the
    // threads share the run's clock.
    static const std::regex seconds(R"(  \d+\.\d +(\S))");
    const std::string actual =
        std::regex_replace(groupedByPort(maskedStamps(out.str()), o.ports), seconds, "  s.s  $1");
    EXPECT_EQ(actual, golden("update_three_ports.txt", actual));
    expectNoTerminalControls();
}

TEST_F(PipedOutput, QuietIsTheOutcomeLineOfEachPortAndTheSummary) {
    o.ports = {"COM5"};
    o.quiet = true;
    bench.add("COM5");
    ASSERT_EQ(run(), 0);
    EXPECT_EQ(maskedStamps(out.str()), "hh-nn-ss -> Update Tarvek2 V2.08 succesfully completed.\n");
    expectNoTerminalControls();
}

// The objects of --json, with the keys each had and in their order; a key
// may join them (scripts that read JSON ignore one they do not know), none
// may go or change.
TEST_F(PipedOutput, JsonObjectsKeepTheirKeysAndValues) {
    o.ports = {"COM5"};
    o.json = true;
    bench.add("COM5");
    ASSERT_EQ(run(), 0);
    std::string actual;
    for (const auto& line : linesOf(out.str())) {
        TJson j = TJson::parse(line);
        if (j.contains("time")) j["time"] = "TIME";
        if (j.contains("elapsed_ms")) j["elapsed_ms"] = 0;
        actual += j.dump() + '\n';
    }
    const auto want = linesOf(golden("update_json.txt", actual));
    const auto got = linesOf(actual);
    ASSERT_EQ(got.size(), want.size());
    for (std::size_t i = 0; i < want.size(); ++i) {
        const TJson w = TJson::parse(want[i]);
        const TJson g = TJson::parse(got[i]);
        std::size_t at = 0; // where the previous key stood in g
        for (const auto& [key, value] : w.items()) {
            ASSERT_TRUE(g.contains(key)) << "line " << i << " lost \"" << key << "\": " << got[i];
            EXPECT_EQ(g.at(key), value) << "line " << i << " key " << key;
            std::size_t pos = 0;
            for (const auto& [k, v] : g.items()) {
                if (k == key) break;
                ++pos;
            }
            EXPECT_GE(pos, at) << "line " << i << " moved \"" << key << "\"";
            at = pos;
        }
    }
    expectNoTerminalControls();
}

// --all finds no port: the JSON reader still gets a result object, with the
// error, and the person the note.
TEST_F(PipedOutput, AllWithoutAPortIsAJsonResult) {
    o.allPorts = true;
    o.json = true;
    TCommandEnv env{out, err, [] { return false; }, "SOURCE", false, cancel, {}};
    env.seams.portList = [] { return std::vector<std::string>(); };
    EXPECT_EQ(runSessionCommand(o, env), 10);
    const auto lines = linesOf(out.str());
    ASSERT_EQ(lines.size(), 1u);
    const TJson j = TJson::parse(lines[0]);
    EXPECT_TRUE(j.at("port").is_null());
    EXPECT_EQ(j.at("result"), "abort");
    EXPECT_EQ(j.at("exit"), 10);
    EXPECT_EQ(j.at("reason"), 10);
    EXPECT_EQ(j.at("slot"), -1);
    EXPECT_EQ(j.at("text").get<std::string>().rfind("No USB serial port found.", 0), 0u);
    EXPECT_NE(err.str().find("tarvek2-cli: no USB serial port found."), std::string::npos);
}

} // namespace
