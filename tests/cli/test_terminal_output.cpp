// What a person at an 80-column terminal sees: the live lines and the
// summary fit the width, each result starts with the word one scans for, the
// outcome is never cut to a stub, a finished port shows no time left, and
// the time left counts down between the controller's estimates.
#include "cli/commands/sessionCommand.h"
#include "cli/output/fittedLine.h"
#include "cli/output/liveScreen.h"
#include "cli/output/terminalSummary.h"
#include "logger_bench.h"
#include "session/uExceptions1V0.h"
#include "text_files.h"

#include <gtest/gtest.h>

#include <regex>
#include <sstream>

namespace {

constexpr int cWidth = 80;

struct TOutcome {
    int exit;
    const char* word;
    const char* text;
};

// An outcome of every kind, the longest texts among them.
const TOutcome cOutcomes[] = {
    {0, "PASS", "Update Tarvek2 V2.08 succesfully completed."},
    {cEX_CANCELLED, "CANCELLED", "Process cancelled!"},
    {cEX_UPID_MISMATCH, "FAIL",
     "There is no update available or the logger has another update ID!"},
    {cEX_PORT_NOT_READY, "FAIL", "Aborted because serial port \"COM3\" is not ready!"},
    {cEX_COMM_ERROR, "FAIL", "Repeat update because communication error!"},
};

const char* const cPorts[] = {"COM5", "/dev/ttyUSB0",
                              "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0"};

TPortResult result(const std::string& port, const TOutcome& o) {
    TPortResult r;
    r.port = port;
    r.exitCode = o.exit;
    r.outcome.rendering.text = o.text;
    r.outcome.elapsedMs = 312'449;
    r.outcome.logger.firstClass = 0xC802;
    r.outcome.logger.updateClass = 0x6621;
    r.outcome.logger.platform = 21;
    r.outcome.logger.print = 38;
    r.outcome.logger.printTold = true;
    if (o.exit == 0) r.outcome.image = {1, TFWCatalog().getFWHeader(1)};
    return r;
}

// The text of lines written one after the other, without their indents.
std::string joinedWords(const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& l : lines) {
        std::istringstream words(l);
        for (std::string w; words >> w;)
            text += (text.empty() ? "" : " ") + w;
    }
    return text;
}

TEST(TerminalResult, WordFromTheExitStatus) {
    for (const TOutcome& o : cOutcomes)
        EXPECT_EQ(resultWord(result("COM5", o)), o.word) << o.exit;
    // An "info" that chose its image is a success too.
    TOutcome info{0, "PASS", "Only read update info!"};
    EXPECT_EQ(resultWord(result("COM5", info)), "PASS");
}

TEST(TerminalResult, LiveLinesFitAndKeepTheOutcomeWhole) {
    for (const char* port : cPorts)
        for (const TOutcome& o : cOutcomes) {
            SCOPED_TRACE(std::string(port) + " / " + o.text);
            TLiveLine l;
            l.port = port;
            l.logger = "Tarvek2 A10e WLAN UART";
            l.image = "V2.08";
            l.startMs = 1000;
            l.percent = 37;
            l.remainingMs = 125'000;
            l.estimatedAtMs = 61'000;
            l.state = "Update Tarvek2 V2.08, A10e WLAN UART, BL3.0";

            const std::string running = liveLineText(l, 66'000, cWidth);
            EXPECT_LE(running.size(), cWidth - 1u) << running;
            EXPECT_EQ(running.rfind(" 37%  ", 0), 0u) << running;
            // Counted down from the estimate: 125 s less the 5 s since.
            EXPECT_NE(running.find("2:00 left"), std::string::npos) << running;
            EXPECT_NE(running.find(l.state), std::string::npos) << running;

            l.endMs = 11'000;
            l.word = o.word;
            l.state = o.text;
            const std::string ended = liveLineText(l, 99'000, cWidth);
            EXPECT_LE(ended.size(), cWidth - 1u) << ended;
            EXPECT_EQ(ended.rfind(std::string(o.word) + "  ", 0), 0u) << ended;
            EXPECT_EQ(ended.find("left"), std::string::npos) << ended;
            // The outcome is whole wherever the word and the port's name
            // leave room for it; where not (the longest texts), most of it
            // stays, and the summary after the run has it whole.
            const std::string p(port);
            const std::string base = p.substr(p.find_last_of('/') + 1);
            if (std::string(o.word).size() + 2 + std::min<std::size_t>(base.size(), 8) + 2 +
                    std::string(o.text).size() <=
                cWidth - 1u) {
                EXPECT_NE(ended.find(o.text), std::string::npos) << ended;
            } else {
                EXPECT_NE(ended.find(std::string(o.text).substr(0, 55)), std::string::npos)
                    << ended;
                EXPECT_EQ(ended.substr(ended.size() - 3), "...") << ended;
            }
            // A long port's name gives way, its end kept.
            if (p.size() > 40) {
                EXPECT_EQ(ended.find("/dev/"), std::string::npos) << ended;
                EXPECT_NE(ended.find("-port0  "), std::string::npos) << ended;
            }
        }
}

TEST(TerminalResult, LiveLineNotYetKnownAndNarrow) {
    TLiveLine l;
    l.port = "/dev/ttyUSB0";
    l.startMs = 1000;
    l.state = "Start at serial port \"/dev/ttyUSB0\"";
    l.state = "Start";
    EXPECT_EQ(liveLineText(l, 66'000, cWidth),
              "  0%  /dev/ttyUSB0    -                       -      1:05  --:-- left  Start");
    // The state is cut only when nothing else is left to give way, and says so.
    l.state = "Start at serial port \"/dev/ttyUSB0\"";
    EXPECT_EQ(liveLineText(l, 66'000, 40), "  0%  ttyUSB0  --:-- left  Start at ...");
}

TEST(TerminalResult, SummaryFitsWithTheWordFirstAndTheOutcomeWhole) {
    struct Case {
        const char* name;
        std::vector<TPortResult> results;
    };
    std::vector<Case> cases;
    cases.push_back({"one port", {result("COM5", cOutcomes[0])}});
    std::vector<TPortResult> several, longNames;
    for (const TOutcome& o : cOutcomes)
        several.push_back(result("/dev/ttyUSB" + std::to_string(several.size()), o));
    for (const TOutcome& o : cOutcomes)
        longNames.push_back(result(cPorts[2] + std::to_string(longNames.size()), o));
    cases.push_back({"several ports", several});
    cases.push_back({"long port names", longNames});

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto lines = linesOf(terminalSummary(c.results, cWidth));
        // Every result: its head line with the word first, then its outcome.
        std::size_t at = 0;
        for (const auto& r : c.results) {
            ASSERT_LT(at, lines.size());
            EXPECT_EQ(lines[at].rfind(resultWord(r) + "  ", 0), 0u) << lines[at];
            std::vector<std::string> own{lines[at]};
            for (++at; at < lines.size() && lines[at].rfind("      ", 0) == 0; ++at)
                own.push_back(lines[at]);
            EXPECT_NE(joinedWords(own).find(r.outcome.rendering.text), std::string::npos)
                << joinedWords(own);
            EXPECT_NE(own.front().find("5:12"), std::string::npos) << own.front();
        }
        EXPECT_EQ(at, lines.size());
        for (const auto& l : lines) {
            EXPECT_LE(l.size(), cWidth - 1u) << l;
            EXPECT_EQ(l.find("left"), std::string::npos) << l;
        }
    }
    // Wide enough: one line a port, in columns.
    const auto wide = linesOf(terminalSummary(several, 200));
    ASSERT_EQ(wide.size(), several.size());
    EXPECT_EQ(wide[0], "PASS       /dev/ttyUSB0  Tarvek2 A10e WLAN UART  V2.08  5:12  "
                       "Update Tarvek2 V2.08 succesfully completed.");
    EXPECT_EQ(wide[1].find("Process cancelled!"), wide[0].find("Update Tarvek2"));
}

TEST(TerminalResult, WrappedTextKeepsEveryWordWithinTheWidth) {
    EXPECT_EQ(wrappedText("aaa bbb ccc", 11, 2), "  aaa bbb\n  ccc");
    EXPECT_EQ(wrappedText("abcdefghij", 6, 2), "  abcd\n  efgh\n  ij"); // a word too long is cut
    EXPECT_EQ(wrappedText("", 10, 2), "");
}

// Several ports on a terminal, through the whole command: every live line
// drawn and every line of the summary fits 80 columns.
TEST(TerminalResult, SeveralPortsOnATerminalStayWithinTheWidth) {
    TSharedFakeClock clock;
    TBench bench;
    std::atomic<bool> cancel{false};
    std::ostringstream out, err;
    TUpdateOptions o;
    o.ports = {"COM1", "COM2", "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0"};
    bench.add("COM1");
    TScriptedIdentity other;
    other.updateInfo = 0x1234;
    bench.add("COM2", other);
    TCommandEnv env{out, err, [] { return false; }, "SOURCE", true, cancel, {}};
    env.seams.clock = &clock;
    env.seams.opener = bench.opener();
    env.seams.idleEvery = std::chrono::milliseconds(5);
    env.seams.width = cWidth;
    EXPECT_EQ(runSessionCommand(o, env), cEX_UPID_MISMATCH);

    // The live lines: what stands between the cursor moves and line ends.
    static const std::regex control("\x1b\\[[0-9]*[A-Za-z]|\r");
    static const std::regex running(R"( {0,2}\d{1,3}%  .*)");
    static const std::regex ended("(PASS|FAIL|CANCELLED)  .*");
    std::size_t drawn = 0;
    for (const auto& l : linesOf(std::regex_replace(err.str(), control, "\n"))) {
        // The notes above the live lines are text, not live lines.
        if (std::regex_match(l, running)) {
            ++drawn;
            EXPECT_LE(l.size(), cWidth - 1u) << l;
        } else if (std::regex_match(l, ended)) {
            EXPECT_LE(l.size(), cWidth - 1u) << l;
            EXPECT_EQ(l.find(" left"), std::string::npos) << l;
        }
    }
    EXPECT_GT(drawn, 3u);
    EXPECT_NE(err.str().find("PASS  COM1"), std::string::npos);

    const auto lines = linesOf(out.str());
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0].rfind("PASS  COM1", 0), 0u) << out.str();
    for (const auto& l : lines) {
        EXPECT_LE(l.size(), cWidth - 1u) << l;
        EXPECT_TRUE(l.rfind("PASS  ", 0) == 0 || l.rfind("FAIL  ", 0) == 0 ||
                    l.rfind("      ", 0) == 0)
            << l;
    }
}

} // namespace
