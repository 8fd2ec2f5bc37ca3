// The pieces of a run over several ports that need no session: the summary
// table, the prefixed lines, the log file names, which ports
// "station" starts, and the same port given twice.
#include "cli/commands/updateOptions.h"
#include "cli/output/logFile.h"
#include "cli/output/prefixStream.h"
#include "cli/output/summaryTable.h"
#include "cli/run/portArrivals.h"
#include "images/uFWVersions.h"
#include "session/uExceptions1V0.h"
#include "text_files.h"

#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <sstream>

namespace {

TPortResult result(const std::string& port, int exit, std::int64_t ms, const std::string& text) {
    TPortResult r;
    r.port = port;
    r.exitCode = exit;
    r.outcome.elapsedMs = ms;
    r.outcome.rendering.text = text;
    return r;
}

TEST(SummaryTable, OneRowPerPortInOrderWithFieldsApart) {
    TPortResult done =
        result("/dev/ttyUSB0", 0, 312'449, "Update Tarvek2 V2.08 succesfully completed.");
    // Met in its bootloader: the class the update is for names the logger.
    done.outcome.logger.firstClass = 0xC802;
    done.outcome.logger.updateClass = 0x6621;
    done.outcome.logger.platform = 21;
    done.outcome.logger.print = 38;
    done.outcome.logger.printTold = true;
    done.outcome.image = {1, TFWCatalog().getFWHeader(1)};
    const TPortResult missing = result("ttyUSB9", cEX_PORT_NOT_READY, 40,
                                       "Aborted because serial port \"ttyUSB9\" is not ready!");

    const auto lines = linesOf(summaryTable({done, missing}));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(fieldsOf(lines[0]),
              (std::vector<std::string>{"port", "exit", "class", "platform", "print", "image",
                                        "seconds", "outcome"}));
    const auto a = fieldsOf(lines[1]);
    ASSERT_EQ(a.size(), 8u) << lines[1];
    EXPECT_EQ(a[0], "/dev/ttyUSB0");
    EXPECT_EQ(a[1], "0");
    EXPECT_EQ(a[2], "Tarvek2");
    EXPECT_EQ(a[3], getPlatformName(21));
    EXPECT_EQ(a[4], "A10e WLAN UART");
    EXPECT_EQ(a[5], "Tarvek2 V2.08, A10e WLAN UART, BL3.0");
    EXPECT_EQ(a[6], "312.4");
    EXPECT_EQ(a[7], "Update Tarvek2 V2.08 succesfully completed.");
    // What the logger never told is a dash.
    EXPECT_EQ(fieldsOf(lines[2]),
              (std::vector<std::string>{"ttyUSB9", "10", "-", "-", "-", "-", "0.0",
                                        "Aborted because serial port \"ttyUSB9\" is not ready!"}));
    // The columns line up: every row's outcome starts where the header's does.
    const auto at = lines[0].find("outcome");
    EXPECT_EQ(lines[1].find("Update Tarvek2"), at);
    EXPECT_EQ(lines[2].find("Aborted"), at);
    EXPECT_EQ(fieldsOf(summaryRow(done)), a);
}

// A code without a name shows as its number, not as "?" or as a dash that
// reads like "not told": a logger with a print the updater does not know
// (the session reports it as 65535), a class no table names, and an image
// file made for an unknown print.
TEST(SummaryTable, UnknownCodesShowAsNumbers) {
    TPortResult r = result("ttyUSB0", cEX_UPID_MISMATCH, 1'000, "There is no update available");
    TLoggerIdentity& logger = r.outcome.logger;
    logger.firstClass = 0x1234;
    logger.platform = 21;
    logger.print = 0xFFFF;
    logger.printTold = true;
    TBl3FileHeader image = TFWCatalog().getFWHeader(1);
    image.vorn_print = 99;
    r.outcome.image = {0, image};
    const auto f = summaryFields(r);
    EXPECT_EQ(f[2], "class 4660");
    EXPECT_EQ(f[4], "65535");
    EXPECT_EQ(f[5], "Tarvekx V2.08, print 99, BL3.0");
    EXPECT_EQ(loggerName(logger), "class 4660 print 65535");
    logger.firstClass = 0x6621;
    EXPECT_EQ(loggerName(logger), "Tarvekx print 65535");
    // Not told yet: nothing to name.
    logger.printTold = false;
    EXPECT_EQ(loggerName(logger), "");
    EXPECT_EQ(summaryFields(r)[4], "-");
}

TEST(PrefixStream, EveryLineGetsItsPortWholeAndFlushed) {
    std::ostringstream target;
    {
        TPrefixStream a(target, "/dev/ttyUSB0\t");
        TPrefixStream b(target, "/dev/ttyUSB1\t");
        a << "12-05-20 -> Prog";
        b << "12-05-20 -> Class 26145\n"; // b's line is out while a's waits
        EXPECT_EQ(target.str(), "/dev/ttyUSB1\t12-05-20 -> Class 26145\n");
        a << "ress 88%\n"
          << "two\nthree";
    } // a's unfinished line is not lost
    EXPECT_EQ(target.str(), "/dev/ttyUSB1\t12-05-20 -> Class 26145\n"
                            "/dev/ttyUSB0\t12-05-20 -> Progress 88%\n"
                            "/dev/ttyUSB0\ttwo\n"
                            "/dev/ttyUSB0\tthree\n");
}

TEST(LogFileName, PortBaseNameAndLocalStartTime) {
    std::tm t{};
    t.tm_year = 2026 - 1900;
    t.tm_mon = 11;
    t.tm_mday = 10;
    t.tm_hour = 7;
    t.tm_min = 5;
    t.tm_sec = 9;
    struct Case {
        std::string port, name;
    };
    for (const Case& c :
         {Case{"/dev/ttyUSB0", "ttyUSB0-20261210-070509.log"},
          Case{"ttyACM1", "ttyACM1-20261210-070509.log"},
          Case{"/dev/pts/7", "7-20261210-070509.log"}, Case{"COM5", "COM5-20261210-070509.log"},
          Case{"\\\\.\\COM12", "COM12-20261210-070509.log"}})
        EXPECT_EQ(logFileName(c.port, t), c.name) << c.port;
}

TEST(PortArrivals, APortIsStartedOnceWhileItStaysPluggedIn) {
    TPortArrivals arrivals;
    std::set<std::string> running;
    auto isRunning = [&](const std::string& p) { return running.count(p) > 0; };
    using V = std::vector<std::string>;

    // Present at the start: every port is new.
    EXPECT_EQ(arrivals.update({"A", "B"}, isRunning), (V{"A", "B"}));
    running = {"A", "B"};
    // Still there, running or ended: nothing again.
    EXPECT_EQ(arrivals.update({"A", "B"}, isRunning), V{});
    running = {"A"};
    EXPECT_EQ(arrivals.update({"B", "A"}, isRunning), V{});
    // C arrives; B is pulled.
    EXPECT_EQ(arrivals.update({"A", "C"}, isRunning), V{"C"});
    running = {"A", "C"};
    // A is pulled and plugged in again while its run still goes on: it waits.
    EXPECT_EQ(arrivals.update({"C"}, isRunning), V{});
    EXPECT_EQ(arrivals.update({"C", "A"}, isRunning), V{});
    EXPECT_EQ(arrivals.update({"C", "A"}, isRunning), V{});
    running = {"C"};
    EXPECT_EQ(arrivals.update({"C", "A"}, isRunning), V{"A"}); // its old run ended
    EXPECT_EQ(arrivals.update({"C", "A"}, isRunning), V{});
    // B comes back: new again.
    EXPECT_EQ(arrivals.update({"C", "A", "B"}, isRunning), V{"B"});
    // A waiting port that goes away is forgotten.
    running = {"C"};
    EXPECT_EQ(arrivals.update({"A", "B"}, isRunning), V{});
    EXPECT_EQ(arrivals.update({"A", "B", "C"}, isRunning), V{});
    running = {};
    EXPECT_EQ(arrivals.update({"A", "B", "C"}, isRunning), V{"C"});
}

TEST(RepeatedPort, TheSamePortUnderTwoNames) {
    struct Case {
        std::vector<std::string> ports;
        std::string repeated;
    };
    for (const Case& c : {Case{{"ttyUSB0", "ttyUSB1"}, ""}, Case{{"ttyUSB0", "ttyUSB0"}, "ttyUSB0"},
#ifdef _WIN32
                          Case{{"COM5", "com5"}, "com5"},
#else
                          Case{{"ttyUSB0", "/dev/ttyUSB0"}, "/dev/ttyUSB0"},
                          Case{{"COM5", "com5"}, ""},
#endif
                          Case{{"a", "b", "c", "b"}, "b"}, Case{{}, ""}})
        EXPECT_EQ(repeatedPort(c.ports), c.repeated);
}

} // namespace
