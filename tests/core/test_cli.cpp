// The command-line updater's offline commands, run as the operator runs them:
// "images" lists the built-in images, "check" judges an image file.
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct TRun {
    int status = -1;
    std::string out;
};

TRun runCli(const std::string& args) {
    TRun run;
    const std::string cmd = std::string("'") + TARVEK2_CLI + "' " + args + " 2>&1";
    FILE* pipe = ::popen(cmd.c_str(), "r");
    if (!pipe) return run;
    std::array<char, 4096> buf{};
    std::size_t n = 0;
    while ((n = std::fread(buf.data(), 1, buf.size(), pipe)) > 0)
        run.out.append(buf.data(), n);
    const int raw = ::pclose(pipe);
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return run;
}

std::vector<std::string> collapsedLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        std::string collapsed;
        for (char c : line) {
            if (c == ' ' && (collapsed.empty() || collapsed.back() == ' ')) continue;
            collapsed += c;
        }
        while (!collapsed.empty() && collapsed.back() == ' ')
            collapsed.pop_back();
        lines.push_back(collapsed);
    }
    return lines;
}

std::string firmwareFile(const char* name) {
    return std::string(TARVEK2_FIRMWARE_DIR) + "/" + name;
}

std::vector<std::string> fileLines(const std::string& path) {
    std::vector<std::string> lines;
    std::ifstream in(path, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

const char* const cFile38 = "Tarvek2_V2_08_PF21_PR38_BL3_0.txt";
const char* const cFile47 = "Tarvek2_V2_08_PF21_PR47_BL3_0.txt";
constexpr int cHeaderLines = 8;

} // namespace

TEST(Cli, ImagesListsTheBuiltInImagesPrint47First) {
    const TRun run = runCli("images");
    EXPECT_EQ(run.status, 0) << run.out;
    EXPECT_EQ(collapsedLines(run.out),
              (std::vector<std::string>{
                  "Firmware Version Platform Print Date BL",
                  "Tarvek2 2.08 F5438 WD2 A10g WLAN UART 01.12.2021 09:05:06 3.0",
                  "Tarvek2 2.08 F5438 WD2 A10e WLAN UART 01.12.2021 09:05:00 3.0",
              }));
}

TEST(Cli, CheckPassesTheFirmwareFiles) {
    for (const char* name : {cFile38, cFile47}) {
        const TRun run = runCli("check '" + firmwareFile(name) + "'");
        EXPECT_EQ(run.status, 0) << run.out;
        EXPECT_NE(run.out.find("good image"), std::string::npos) << run.out;
    }
}

// Broken copies of the print-47 file; line indexes count the image's lines
// (the header lines are not among them).
TEST(Cli, CheckFailsBrokenCopiesNamingTheLine) {
    const auto good = fileLines(firmwareFile(cFile47));
    ASSERT_EQ(good.size(), static_cast<std::size_t>(cHeaderLines + 2365));
    using TEdit = std::function<void(std::vector<std::string>&)>;
    struct Case {
        const char* what;
        TEdit edit;
        std::string expected; // a text naming the line
    };
    const std::vector<Case> cases = {
        {"lower-case hex digit",
         [](auto& l) {
             auto& line = l[cHeaderLines + 10];
             line[line.find_first_of("ABCDEF", 1)] += 'a' - 'A';
         },
         "First bad line: line 19 of the file, record index 10:"},
        {"wrong checksum",
         [](auto& l) {
             auto& line = l[cHeaderLines + 200];
             line.back() = line.back() == '0' ? '1' : '0';
         },
         "First bad line: line 209 of the file, record index 200:"},
        {"blank line before the end line", [](auto& l) { l.insert(l.end() - 1, ""); },
         "First bad line: line 2373 of the file, record index 2364:"},
        {"missing end line", [](auto& l) { l.pop_back(); }, "index 2363 is not"},
    };
    const TTempFolder dir("tarvek2-core-cli");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        auto lines = good;
        c.edit(lines);
        const fs::path path = dir / "broken.txt";
        {
            std::ofstream out(path, std::ios::binary);
            for (const auto& l : lines)
                out << l << "\r\n";
        }
        const TRun run = runCli("check '" + path.string() + "'");
        EXPECT_EQ(run.status, 1) << run.out;
        EXPECT_NE(run.out.find(c.expected), std::string::npos) << run.out;
        EXPECT_NE(run.out.find("bad image"), std::string::npos) << run.out;
    }
}

// A small image whose lines are not where their indexes say: the header,
// and a line with "=" among the records, drop out of the image's lines, so
// check names both the line an editor shows and the index the update's
// report uses; a header number that does not read is explained in English
// after the runtime's own text.
TEST(Cli, CheckNamesTheFileLineAndTheRecordIndex) {
    const std::string header = "bootloader=3\nbootloader version=0\nclass=26145\nversionH=2\n"
                               "versionL=8\nplatform=21\nprint=38\ndate=x\n";
    const std::string good = ":00000001FF";
    const TTempFolder dir("tarvek2-core-cli-lines");
    struct Case {
        const char* what;
        std::string text;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"first record", header + "zz\n" + good + "\n",
         "First bad line: line 9 of the file, record index 0: does not start with ':'"},
        {"after a line with =", header + ":0000000000\nnote=x\n:00000000\n" + good + "\n",
         "First bad line: line 11 of the file, record index 1: shorter than 11 characters"},
        {"end line", header + ":0000000000\n:0000000000\n",
         "missing: index 1 is not \":00000001FF\" (file line 10)"},
        {"header number", "bootloader=3\nbootloader version=0\nclass = 26145\n",
         "cannot be read: '' ist kein g\xC3\xBCltiger Integerwert (header line 3, \"class = "
         "26145\", must be \"class=\" and a whole number)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const fs::path path = dir / "small.txt";
        {
            std::ofstream out(path, std::ios::binary);
            out << c.text;
        }
        const TRun run = runCli("check '" + path.string() + "'");
        EXPECT_EQ(run.status, 1) << run.out;
        EXPECT_NE(run.out.find(c.expected), std::string::npos) << run.out;
    }
}
