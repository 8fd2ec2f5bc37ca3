// "update" and "info" run in-process against the scripted logger: what the
// operator sees in each output mode, and what is refused before the port is
// touched.
#include "cli/commands/sessionCommand.h"
#include "cli/output/progressBar.h"
#include "fake_clock.h"
#include "images/uImageFile.h"
#include "scripted_logger.h"
#include "session/uExceptions1V0.h"
#include "session/uTarvekCommThread.h"
#include "tarvek2_version.h"
#include "temp_folder.h"
#include "text_files.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

namespace fs = std::filesystem;

namespace {

const std::regex kReportLine(R"(\d\d-\d\d-\d\d -> .*)");

std::string builtinFile() {
    return std::string(TARVEK2_FIRMWARE_DIR) + "/Tarvek2_V2_08_PF21_PR38_BL3_0.txt";
}

class SessionCommand : public TempFolderTest {
  protected:
    TFakeClock clock;
    TScriptedLogger logger{clock};
    std::atomic<bool> cancel{false};
    std::ostringstream out, err;
    bool intern = false;
    bool terminal = false;
    TUpdateOptions o = withPort("COM5");

    static TUpdateOptions withPort(const std::string& port) {
        TUpdateOptions o;
        o.ports = {port};
        return o;
    }

    int run() {
        TCommandEnv env{out, err, [this] { return intern; }, "SOURCE", terminal, cancel, {}};
        env.seams.clock = &clock;
        env.seams.opener = logger.opener();
        env.seams.width = 80;
        return runSessionCommand(o, env);
    }

    // A copy of the built-in image with line i replaced.
    std::string fileWithLine(int i, const std::string& line) {
        std::ifstream in(builtinFile());
        std::vector<std::string> lines;
        for (std::string l; std::getline(in, l);)
            lines.push_back(l);
        lines.at(8 + i) = line; // after the eight header lines
        std::string text;
        for (const auto& l : lines)
            text += l + "\n";
        return write("cli_image.txt", text);
    }
};

TEST_F(SessionCommand, TextShowsEveryReportLineWithItsTimeStamp) {
    EXPECT_EQ(run(), 0);
    const auto lines = linesOf(out.str());
    ASSERT_GT(lines.size(), 100u);
    for (const auto& l : lines)
        EXPECT_TRUE(std::regex_match(l, kReportLine)) << l;
    EXPECT_EQ(lines.front().substr(12), "Start at serial port \"COM5\"");
    EXPECT_EQ(lines[1].substr(12), "Class 26145 [Tarvekx]");
    EXPECT_EQ(lines.back().substr(12), "Update Tarvek2 V2.08 succesfully completed.");
    EXPECT_NE(out.str().find("-> Progress 1%\n"), std::string::npos);
    EXPECT_NE(out.str().find("-> Progress 98%\n"), std::string::npos);
    EXPECT_NE(out.str().find("-> Vector table is programmed.\n"), std::string::npos);
    // No bar off a terminal; only what became of the logger.
    EXPECT_EQ(err.str(), "tarvek2-cli: the logger was switched into its bootloader, and all 2365 "
                         "records were written. It runs the new firmware.\n");
}

TEST_F(SessionCommand, TextsOnlyForTheMessageWindowAreShownToo) {
    // A session that finds a bad line in its image: the file slot of a
    // catalog of the test's own, as the window's "File" would give it.
    TFWCatalog badImage;
    std::vector<std::string> lines;
    ASSERT_EQ(loadImageFile(fileWithLine(3, ":40020A00ZZ"), badImage.FileHeader, lines).result,
              TImageLoadResult::ok);
    badImage.FileLines = lines;
    TCommandEnv env{out, err, [] { return false; }, "SOURCE", false, cancel, {}};
    env.seams.clock = &clock;
    env.seams.opener = logger.opener();
    env.seams.factory = [&](TSessionContext context) {
        badImage.iSelectedFW = 0;
        context.catalog = &badImage;
        return CommThreadClass(std::move(context));
    };
    EXPECT_EQ(runSessionCommand(o, env), cEX_CONVERSION);
    const std::string s = out.str();
    EXPECT_NE(s.find("-> Aborted because conversion error at line  3 !\n"), std::string::npos);
    EXPECT_NE(s.find("-> Aborted because conversion error!\n"), std::string::npos);
    EXPECT_TRUE(logger.writtenBlocks.empty());
}

// "update --file" checks the image before it opens any port: a bad image
// ends with the session's exit status, and not one byte reaches a logger.
TEST_F(SessionCommand, BadImageFileIsRefusedBeforeAnyByteReachesThePort) {
    intern = true;
    struct Case {
        const char* what;
        int line; // the image line replaced
        std::string text;
        int exit;
        std::string says;
    };
    // The built-in image's file: eight header lines, so image line i is
    // file line i + 9.
    const std::vector<Case> cases = {
        {"bad data line", 3, ":40020A00ZZ", cEX_CONVERSION,
         "line 12 of the file, record index 3 is not a record the logger takes: "},
        {"no end line", 2365, ":0000000000", cEX_LAST_LINE,
         "its last line (line 2374 of the file, record index 2365) is not the end line"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        err.str("");
        o.file = fileWithLine(c.line, c.text);
        EXPECT_EQ(run(), c.exit);
        EXPECT_NE(err.str().find(c.says), std::string::npos) << err.str();
        EXPECT_NE(err.str().find("No port was opened"), std::string::npos) << err.str();
    }
    EXPECT_EQ(logger.opens, 0);
    EXPECT_EQ(logger.writes, 0);
    EXPECT_EQ(out.str(), "");
    // "info" writes nothing and so still reads the logger with that file.
    o.infoOnly = true;
    EXPECT_EQ(run(), 0) << err.str();
    EXPECT_EQ(logger.opens, 1);
}

TEST_F(SessionCommand, JsonGivesOneObjectPerNotificationAndASummary) {
    o.json = true;
    logger.fault = [&](TExchange& ex) {
        if (logger.opens == 1 && ex.kind == TExchange::identify) ex.answer.clear();
    };
    EXPECT_EQ(run(), 0);
    const auto lines = linesOf(out.str());
    ASSERT_GT(lines.size(), 20u);
    const std::regex iso(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}[+-]\d\d:\d\d)");
    for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
        const auto j = nlohmann::json::parse(lines[i]);
        EXPECT_TRUE(std::regex_match(j.at("time").get<std::string>(), iso)) << lines[i];
        EXPECT_EQ(j.at("port"), "COM5");
        EXPECT_TRUE(j.at("kind").is_number() && j.at("value").is_number());
    }
    const auto first = nlohmann::json::parse(lines[0]);
    EXPECT_EQ(first.at("name"), "cNT_REPEAT_COMM");
    EXPECT_EQ(first.at("kind"), 13);
    EXPECT_EQ(first.at("text"), "Repeat update because communication error!");
    const auto progress = nlohmann::json::parse(lines[12]);
    EXPECT_EQ(progress.at("name"), "cNT_PROGRESS");
    EXPECT_EQ(progress.at("value"), 1);
    EXPECT_EQ(progress.at("text"), "Progress 1%");
    const auto summary = nlohmann::json::parse(lines.back());
    EXPECT_EQ(summary.at("port"), "COM5");
    EXPECT_EQ(summary.at("result"), "done");
    EXPECT_EQ(summary.at("exit"), 0);
    EXPECT_EQ(summary.at("restarts"), 1);
    EXPECT_GE(summary.at("elapsed_ms").get<std::int64_t>(), 1500 + 4500);
}

TEST_F(SessionCommand, QuietPrintsOnlyTheOutcome) {
    o.quiet = true;
    EXPECT_EQ(run(), 0);
    const auto lines = linesOf(out.str());
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].substr(12), "Update Tarvek2 V2.08 succesfully completed.");
}

TEST_F(SessionCommand, QuietGiveUpIsOneLineAndANote) {
    o.quiet = true;
    logger.fault = [](TExchange& ex) {
        if (ex.kind == TExchange::identify) ex.answer.clear();
    };
    o.maxRestarts = 1;
    EXPECT_EQ(run(), cEX_COMM_ERROR);
    ASSERT_EQ(linesOf(out.str()).size(), 1u);
    // The give-up note says what happened and what to do.
    EXPECT_NE(err.str().find("no restart left after 1 restart (--max-restarts 1)"),
              std::string::npos);
}

TEST_F(SessionCommand, InfoNamesTheChosenImageAndWritesNothing) {
    o.infoOnly = true;
    EXPECT_EQ(run(), 0);
    EXPECT_NE(out.str().find("-> Only read update info!\n"), std::string::npos);
    EXPECT_NE(out.str().find("Image for this logger: Tarvek2 V2.08, A10e WLAN UART, BL3.0 "
                             "(built-in image 1)"),
              std::string::npos)
        << out.str();
    EXPECT_TRUE(logger.writtenBlocks.empty());
}

// Every end says what became of the logger; where it waits in its
// bootloader, the note says so and how to bring it back.  A read-info-only
// run too, though it writes nothing.
struct FateNoteCase {
    const char* name;
    bool infoOnly;
    std::uint16_t updateInfo; // 0xFFFE fits the built-in images
    int cancelAtRecord;       // -1: no cancel
    int exit;
    std::string note;
    const char* bootloader; // the JSON result's words
    const char* atEnd;
};

class FateNote : public ::testing::TestWithParam<FateNoteCase> {};

TEST_P(FateNote, SaysWhetherTheLoggerWaitsInItsBootloaderAndHowToBringItBack) {
    const auto& c = GetParam();
    for (const bool json : {false, true}) {
        SCOPED_TRACE(json ? "json" : "text");
        TFakeClock fakeClock;
        TScriptedLogger scripted{fakeClock};
        scripted.id.updateInfo = c.updateInfo;
        std::atomic<bool>* sessionCancel = nullptr;
        scripted.fault = [&](TExchange& ex) {
            if (ex.kind == TExchange::dataRecord && ex.recordIndex == c.cancelAtRecord)
                *sessionCancel = true; // "Cancel", as the session sees it
        };
        std::ostringstream sout, serr;
        std::atomic<bool> cancel{false};
        TUpdateOptions opts;
        opts.ports = {"COM5"};
        opts.infoOnly = c.infoOnly;
        opts.json = json;
        TCommandEnv env{sout, serr, [] { return false; }, "SOURCE", false, cancel, {}};
        env.seams.clock = &fakeClock;
        env.seams.opener = scripted.opener();
        env.seams.factory = [&](TSessionContext context) {
            sessionCancel = context.bCancel;
            return CommThreadClass(std::move(context));
        };
        EXPECT_EQ(runSessionCommand(opts, env), c.exit) << serr.str();
        EXPECT_NE(serr.str().find("tarvek2-cli: " + c.note + "\n"), std::string::npos)
            << serr.str();
        if (!json) continue;
        const auto result = nlohmann::json::parse(linesOf(sout.str()).back());
        // The keys scripts rely on stay; the new ones tell the logger's fate.
        for (const char* key : {"port", "result", "exit", "restarts", "elapsed_ms", "text", "slot"})
            EXPECT_TRUE(result.contains(key)) << key;
        EXPECT_EQ(result.at("bootloader"), c.bootloader);
        EXPECT_EQ(result.at("logger_at_end"), c.atEnd);
        EXPECT_EQ(result.at("records_total"), c.cancelAtRecord < 0 ? 0 : 2365);
        if (c.cancelAtRecord < 0) {
            EXPECT_EQ(result.at("records_written"), 0);
            EXPECT_EQ(result.at("records_exact"), true);
        } else {
            EXPECT_LE(result.at("records_written").get<int>(), c.cancelAtRecord + 1);
            EXPECT_EQ(result.at("records_exact"), false);
        }
    }
}

const std::string kWaitsNoRecord =
    "the logger was switched into its bootloader, and no record was written. It waits in its "
    "bootloader: to bring it back, run an update, or power-cycle it.";

INSTANTIATE_TEST_SUITE_P(
    Cli, FateNote,
    ::testing::Values(
        FateNoteCase{"info", true, 0xFFFE, -1, 0, kWaitsNoRecord, "switched", "bootloader"},
        FateNoteCase{"no_fitting_image", false, 0x1234, -1, cEX_UPID_MISMATCH, kWaitsNoRecord,
                     "switched", "bootloader"},
        // 1195: the count at the progress step of 50%, the last one posted
        // before the cancel after record 1199 (the vector table's record,
        // held back, is not among them).
        FateNoteCase{"cancel_after_some_records", false, 0xFFFE, 1199, cEX_CANCELLED,
                     "the logger was switched into its bootloader, and at least 1195 of 2365 "
                     "records were written. It waits in its bootloader with its firmware only "
                     "partly written: run an update to bring it back.",
                     "switched", "bootloader"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SessionCommand, PortProblemIsExplainedOnStandardError) {
    TCommandEnv env{out, err, [] { return false; }, "SOURCE", false, cancel, {}};
    env.seams.clock = &clock;
    env.seams.opener = TScriptedLogger::failingOpener();
    EXPECT_EQ(runSessionCommand(o, env), cEX_PORT_NOT_READY);
    EXPECT_NE(out.str().find("-> Aborted because serial port \"COM5\" is not ready!\n"),
              std::string::npos);
    // The cause is the one the session's own open found.
    EXPECT_EQ(err.str(), "tarvek2-cli: Serial port \"COM5\" does not exist. Check that the "
                         "logger's cable is plugged in, or pick another port.\n"
                         "tarvek2-cli: the logger was not switched into its bootloader, and no "
                         "record was written.\n");
}

TEST_F(SessionCommand, RelaxingOptionsAreRefusedBeforeThePortIsOpened) {
    o.noCheckInfo = true;
    EXPECT_EQ(run(), 2);
    EXPECT_EQ(logger.opens, 0);
    EXPECT_EQ(out.str(), "");
    EXPECT_NE(err.str().find("--no-check-info"), std::string::npos);
    EXPECT_NE(err.str().find("SOURCE"), std::string::npos);

    intern = true;
    EXPECT_EQ(run(), 0);
    EXPECT_EQ(logger.opens, 1);
}

TEST_F(SessionCommand, ImageFileThatCannotBeReadIsRefusedBeforeThePortIsOpened) {
    intern = true;
    struct Case {
        std::string file;
        std::string says;
    };
    const std::string badHeader =
        write("cli_bad_header.txt", "bootloader=3\nbootloader version=0\nclass=abc\n");
    for (const Case& c : {Case{"/no/such/image.txt", "cannot open"}, Case{badHeader, "abc"}}) {
        err.str("");
        o.file = c.file;
        EXPECT_EQ(run(), 1) << c.file;
        EXPECT_NE(err.str().find(c.file), std::string::npos) << err.str();
        EXPECT_NE(err.str().find(c.says), std::string::npos) << err.str();
    }
    EXPECT_EQ(logger.opens, 0);
    EXPECT_EQ(out.str(), "");
}

TEST_F(SessionCommand, ProgressBarOnATerminalStaysBelowTheReportLines) {
    terminal = true;
    EXPECT_EQ(run(), 0);
    const std::string e = err.str();
    EXPECT_NE(e.find("\r["), std::string::npos);
    EXPECT_NE(e.find(" 98%"), std::string::npos);
    EXPECT_NE(e.find(" elapsed "), std::string::npos);
    // Cleared at the end: what is written after it, the note of what became
    // of the logger, starts on an empty line.
    const auto note = e.rfind("tarvek2-cli: the logger was switched");
    ASSERT_NE(note, std::string::npos) << e;
    ASSERT_GT(note, 0u);
    EXPECT_EQ(e[note - 1], '\r');
    EXPECT_EQ(e.find('\n'), e.size() - 1);
    // The bar alone shows the progress: the report keeps the logger's
    // identity in sight, and ends with the result for a person.
    const auto lines = linesOf(out.str());
    ASSERT_GE(lines.size(), 3u);
    EXPECT_LT(lines.size(), 30u);
    for (std::size_t i = 0; i + 2 < lines.size(); ++i) {
        EXPECT_TRUE(std::regex_match(lines[i], kReportLine)) << lines[i];
        EXPECT_EQ(lines[i].find("Progress"), std::string::npos) << lines[i];
    }
    EXPECT_NE(out.str().find("-> Print 38 [A10e WLAN UART]\n"), std::string::npos);
    EXPECT_EQ(lines[lines.size() - 2].rfind("PASS  COM5  ", 0), 0u) << lines[lines.size() - 2];
    EXPECT_EQ(lines.back(), "      Update Tarvek2 V2.08 succesfully completed.");
}

TEST(ProgressBarText, FitsTheTerminalAndShowsTheTimes) {
    for (int width : {12, 30, 50, 80, 200}) {
        const std::string s = progressBarText(37, 65'000, 3'723'000, width);
        EXPECT_LE(static_cast<int>(s.size()), width - 1) << s;
        if (width >= 50) {
            EXPECT_NE(s.find(" 37%  1:05 elapsed  1:02:03 left"), std::string::npos) << s;
        }
    }
    EXPECT_NE(progressBarText(0, 0, -1, 80).find("--:-- left"), std::string::npos);
    // The time left as the window shows it: 4.5 s left is 0:05.
    EXPECT_NE(progressBarText(99, 4'500, 4'500, 80).find("0:04 elapsed  0:05 left"),
              std::string::npos);
    EXPECT_EQ(progressBarText(100, 0, 0, 80).find("[########################################]"),
              0u);
    EXPECT_EQ(progressBarText(50, 0, 0, 80).substr(0, 22), "[####################.");
}

} // namespace

namespace {

// A log file tells which program wrote it, when and for which port, before
// the report lines, which are as the program's output for one port.
TEST_F(SessionCommand, LogFileBeginsWithVersionDateAndPort) {
    o.logDir = (dir / "logs").string();
    EXPECT_EQ(run(), 0);
    std::vector<std::filesystem::path> files;
    for (const auto& e : fs::directory_iterator(dir / "logs"))
        files.push_back(e.path());
    ASSERT_EQ(files.size(), 1u);
    // On Windows the file is text with CR LF line ends, as its editors expect.
    auto lines = linesOf(readFile(files[0]));
    for (std::string& l : lines)
        if (!l.empty() && l.back() == '\r') l.pop_back();
    ASSERT_GT(lines.size(), 3u);
    const std::string program = "tarvek2-cli " TARVEK2_VERSION ", ";
    ASSERT_EQ(lines[0].rfind(program, 0), 0u) << lines[0];
    const std::regex dateAndPort(
        R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}[+-]\d\d:\d\d, port COM5)");
    EXPECT_TRUE(std::regex_match(lines[0].substr(program.size()), dateAndPort)) << lines[0];
    // Then the note of what became of the logger, and the result object.
    ASSERT_GT(lines.size(), 4u);
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 1, lines.end() - 2), linesOf(out.str()));
    EXPECT_EQ(lines[lines.size() - 2].rfind("tarvek2-cli: the logger was switched", 0), 0u)
        << lines[lines.size() - 2];
}

} // namespace
