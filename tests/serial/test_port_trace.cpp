// The byte trace: what it writes, and that it changes nothing on the line.
#include "serial/uPortTrace.h"
#include "serial/uRS232.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <vector>

#ifndef _WIN32
#include "pty_pair.h"
#endif

namespace fs = std::filesystem;

namespace {

// A port that answers reads with a fixed reply and records what passes.
class TRecordingPort : public IPort {
  public:
    std::vector<std::uint8_t> reply;
    std::vector<std::uint8_t> sent;
    std::vector<std::string> calls;

    bool clearError() override { return calls.push_back("clear"), true; }
    bool purge() override { return calls.push_back("purge"), true; }
    bool write(const std::uint8_t* data, std::size_t n, std::size_t& written) override {
        calls.push_back("write");
        sent.insert(sent.end(), data, data + n);
        written = n;
        return true;
    }
    bool read(std::uint8_t* data, std::size_t n, std::size_t& got) override {
        calls.push_back("read");
        got = std::min(n, reply.size());
        std::copy_n(reply.begin(), got, data);
        return true;
    }
    void close() override { calls.push_back("close"); }
};

std::vector<std::string> linesOf(const fs::path& file) {
    std::ifstream in(file);
    std::vector<std::string> lines;
    for (std::string s; std::getline(in, s);)
        lines.push_back(s);
    return lines;
}

fs::path tempFile(const char* name) {
    const fs::path p = fs::temp_directory_path() /
                       (std::string(name) + "-" +
                        std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
    fs::remove(p);
    return p;
}

TEST(PortTrace, FormatsBytesAndShortCounts) {
    const std::uint8_t b[] = {0x81, 0x00, 0xAB, 0xFF};
    EXPECT_EQ(formatTraceBytes("TX", b, 2, 2), "TX 81 00");
    EXPECT_EQ(formatTraceBytes("RX", b, 4, 4), "RX 81 00 AB FF");
    EXPECT_EQ(formatTraceBytes("RX", b, 0, 8), "RX (0 of 8, time-out)");
    EXPECT_EQ(formatTraceBytes("RX", b + 2, 2, 8), "RX AB FF (2 of 8, time-out)");
    EXPECT_EQ(formatTraceBytes("TX", b, 1, 2), "TX 81 (1 of 2, short write)");
}

TEST(PortTrace, WritesOneStampedLinePerCallAndPassesEverythingThrough) {
    const fs::path file = tempFile("tarvek2-trace");
    auto inner = std::make_unique<TRecordingPort>();
    TRecordingPort* rec = inner.get();
    rec->reply = {0x01, 0x02};
    TPortHandle port = wrapWithTrace(std::move(inner), "COM5", 9600, file.string());
    ASSERT_TRUE(port);

    EXPECT_TRUE(port->clearError());
    EXPECT_TRUE(port->purge());
    const std::uint8_t frame[] = {0x81, 0x00, 0x5A};
    std::size_t n = 0;
    EXPECT_TRUE(port->write(frame, 3, n));
    EXPECT_EQ(n, 3u);
    std::uint8_t got[8] = {};
    EXPECT_TRUE(port->read(got, 8, n));
    EXPECT_EQ(n, 2u);
    EXPECT_EQ(got[1], 0x02);
    closePort(port);

    const std::vector<std::string> lines = linesOf(file);
    const std::vector<std::string> texts = {"open COM5 9600", "purge", "TX 81 00 5A",
                                            "RX 01 02 (2 of 8, time-out)", "close"};
    ASSERT_EQ(lines.size(), texts.size());
    for (std::size_t i = 0; i < lines.size(); ++i) {
        EXPECT_TRUE(std::regex_match(lines[i], std::regex(R"(\+\d+\.\d{3} .*)"))) << lines[i];
        EXPECT_EQ(lines[i].substr(lines[i].find(' ') + 1), texts[i]);
    }
    fs::remove(file);
}

TEST(PortTrace, UnwritableTargetLeavesThePortUntraced) {
    auto inner = std::make_unique<TRecordingPort>();
    IPort* raw = inner.get();
    TPortHandle port = wrapWithTrace(std::move(inner), "COM5", 9600,
                                     (fs::temp_directory_path() / "no-such-dir" / "t").string());
    EXPECT_EQ(port.get(), raw);
}

#ifndef _WIN32
// Switched on from the environment, the trace sits on the real line.
TEST(PortTrace, EnvironmentSwitchesItOnForOpenedPorts) {
    const fs::path file = tempFile("tarvek2-env-trace");
    TPtyPair pty;
    ::setenv(cPortTraceVariable, file.c_str(), 1);
    TPortHandle port = openPort(pty.slavePath(), 9600);
    ::unsetenv(cPortTraceVariable);
    ASSERT_TRUE(port);
    const std::uint8_t frame[] = {0x55, 0xAA};
    std::size_t n = 0;
    ASSERT_TRUE(port->write(frame, 2, n));
    EXPECT_EQ(pty.receive(2), (std::vector<std::uint8_t>{0x55, 0xAA}));
    closePort(port);
    const std::vector<std::string> lines = linesOf(file);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_NE(lines[0].find("open " + pty.slavePath() + " 9600"), std::string::npos);
    EXPECT_NE(lines[1].find("TX 55 AA"), std::string::npos);
    fs::remove(file);

    TPortHandle plain = openPort(pty.slavePath(), 9600); // variable gone: no trace
    ASSERT_TRUE(plain);
    closePort(plain);
    EXPECT_FALSE(fs::exists(file));
}
#endif

} // namespace
