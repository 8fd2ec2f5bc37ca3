// What the program is started with: the "key:value" reader, the options in
// both modes, the internal-mode switch read from its file, and the progress
// bar's time left.
#include "controller/uProgramOptions.h"
#include "controller/uTimeLeft.h"
#include "controller/uWinTools1V4.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

using Args = std::vector<std::string>;

struct OptionCase {
    const char* name;
    std::string key, def;
    Args args;
    std::string expected;
};

class GetOption : public ::testing::TestWithParam<OptionCase> {};

TEST_P(GetOption, FirstArgumentThatStartsWithTheKey) {
    const auto& c = GetParam();
    EXPECT_EQ(getOption(c.key, c.def, c.args), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Options, GetOption,
    ::testing::Values(
        OptionCase{"no_arguments", "mf:", "d", {"prog"}, "d"},
        OptionCase{"value_behind_the_key", "mf:", "", {"prog", "mf:+"}, "+"},
        OptionCase{"key_in_upper_case", "mf:", "", {"prog", "MF:+"}, "+"},
        OptionCase{"value_keeps_its_case", "f:", "", {"prog", "F:AbC"}, "AbC"},
        OptionCase{"key_alone_does_not_count", "mf:", "d", {"prog", "mf:", "mf:-"}, "-"},
        OptionCase{"key_alone_only", "mf:", "d", {"prog", "mf:"}, "d"},
        OptionCase{"first_match_wins", "mf:", "", {"prog", "mf:+", "mf:-"}, "+"},
        OptionCase{"key_must_start_the_argument", "f:", "d", {"prog", "xf:+"}, "d"},
        OptionCase{"unknown_arguments_ignored", "cc:", "", {"prog", "hello", "-v", "cc:-"}, "-"},
        OptionCase{"program_name_is_not_an_argument", "mf:", "d", {"mf:+"}, "d"},
        OptionCase{"empty_argument_list", "mf:", "d", {}, "d"},
        OptionCase{
            "blank_after_the_key_is_part_of_the_value", "port:", "", {"prog", "port: x"}, " x"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(GetOption, CutsLongValues) {
    EXPECT_EQ(getOption("f:", "", Args{"prog", "f:" + std::string(1500, 'x')}).size(),
              cMaxOptionValue);
}

struct ModeCase {
    const char* name;
    bool intern;
    Args args;
    int fileMode;
    bool clearWarning;
    const char* checks; // class, family, info: 1 on, 0 off
    const char* port;
};

class ProgramOptions : public ::testing::TestWithParam<ModeCase> {};

TEST_P(ProgramOptions, InEachMode) {
    const auto& c = GetParam();
    Args args{"tarvek2-update"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const TProgramOptions o = readProgramOptions(args, c.intern);
    EXPECT_EQ(o.iFileMode, c.fileMode);
    EXPECT_EQ(o.bClearWarning, c.clearWarning);
    const std::string checks = std::to_string(int(o.settings.bCheckClass)) +
                               std::to_string(int(o.settings.bCheckFamily)) +
                               std::to_string(int(o.settings.bCheckInfo));
    EXPECT_EQ(checks, c.checks);
    EXPECT_FALSE(o.settings.bInfoOnly);
    EXPECT_EQ(o.port, c.port);
}

INSTANTIATE_TEST_SUITE_P(
    Options, ProgramOptions,
    ::testing::Values(
        ModeCase{"normal", false, {}, 0, false, "111", ""},
        ModeCase{"normal_checks_not_relaxed",
                 false,
                 {"cc:-", "cf:-", "ci:-", "f:+"},
                 0,
                 false,
                 "111",
                 ""},
        ModeCase{"clear_warning", false, {"mf:+"}, 0, true, "111", ""},
        ModeCase{"clear_warning_first_wins", false, {"mf:+", "mf:-"}, 0, true, "111", ""},
        ModeCase{"clear_warning_off_first", false, {"mf:-", "mf:+"}, 0, false, "111", ""},
        ModeCase{"clear_warning_other_value", false, {"mf:x"}, 0, false, "111", ""},
        ModeCase{"intern", true, {}, 1, false, "111", ""},
        ModeCase{"intern_file", true, {"f:+"}, 2, false, "111", ""},
        ModeCase{"intern_file_off", true, {"f:-"}, 1, false, "111", ""},
        ModeCase{"intern_checks_relaxed", true, {"cc:-", "cf:-", "ci:-"}, 1, false, "000", ""},
        ModeCase{"intern_upper_case_key", true, {"CF:-"}, 1, false, "101", ""},
        ModeCase{"intern_other_values", true, {"cc:+", "ci:0", "cf:--"}, 1, false, "111", ""},
        ModeCase{"intern_clear_warning", true, {"mf:+"}, 1, true, "111", ""},
        ModeCase{"port", false, {"port:/dev/pts/7"}, 0, false, "111", "/dev/pts/7"}),
    [](const auto& info) { return std::string(info.param.name); });

#ifndef _WIN32
// The switch as the Linux reader finds it in the settings file.
TEST(InternModeFile, ReadsVornConfUnderXdgConfigHome) {
    namespace fs = std::filesystem;
    const fs::path dir = fs::path(::testing::TempDir()) / "controller_xdg";
    fs::create_directories(dir / "Quorvane");
    const char* old = std::getenv("XDG_CONFIG_HOME");
    const std::string kept = old ? old : "";
    ::setenv("XDG_CONFIG_HOME", dir.c_str(), 1);
    struct Case {
        const char* text; // nullptr: no file
        bool on;
    };
    for (const Case& c :
         {Case{nullptr, false}, Case{"[General]\nintern=7361\n", true},
          Case{"[General]\nintern=7362\n", false}, Case{"[General]\nintern=\" 7361 \"\n", true}}) {
        fs::remove(dir / "Quorvane" / "Vorn.conf");
        if (c.text) std::ofstream(dir / "Quorvane" / "Vorn.conf") << c.text;
        EXPECT_EQ(readInternMode(), c.on) << (c.text ? c.text : "no file");
    }
    EXPECT_NE(internModeSource().find((dir / "Quorvane" / "Vorn.conf").string()),
              std::string::npos);
    if (old)
        ::setenv("XDG_CONFIG_HOME", kept.c_str(), 1);
    else
        ::unsetenv("XDG_CONFIG_HOME");
    fs::remove_all(dir);
}
#endif

struct TimeLeftCase {
    std::int64_t writingMs;
    int percent;
    std::int64_t remaining;
    const char* caption;
};

class TimeLeft : public ::testing::TestWithParam<TimeLeftCase> {};

TEST_P(TimeLeft, EstimateAndCaption) {
    const auto& c = GetParam();
    const std::int64_t remaining = estimateRemainingMs(c.writingMs, c.percent);
    EXPECT_EQ(remaining, c.remaining);
    EXPECT_EQ(progressCaption(c.percent, remaining), c.caption);
}

INSTANTIATE_TEST_SUITE_P(
    Progress, TimeLeft,
    ::testing::Values(TimeLeftCase{0, 0, -1, "0%"},    // nothing to go by
                      TimeLeftCase{5000, 0, -1, "0%"}, // writing, no progress yet
                      TimeLeftCase{1000, 1, 98000 + 4500, "1% - 1:43 left"},
                      TimeLeftCase{60000, 37, 100540 + 4500, "37% - 1:46 left"},
                      TimeLeftCase{120000, 99, 4500, "99% - 0:05 left"}, // the waits only
                      TimeLeftCase{120000, 100, 0, "100% - 0:00 left"}));

TEST(TimeLeft, WaitsAfterTheLastRecordAreTheSessionsOwn) {
    EXPECT_EQ(cWaitsAfterLastRecordMs, cFinishPauseMs + cRestartPauseMs);
    EXPECT_EQ(progressCaption(37, 65000), "37% - 1:05 left");
    EXPECT_EQ(progressCaption(37, 64001), "37% - 1:05 left"); // seconds rounded up
    EXPECT_EQ(progressCaption(37, -1), "37%");
}

// Every program shows the time left through one formatter: with 4.5 s left
// the window and the terminal both show 0:05; a time passed counts whole
// seconds.
TEST(TimeLeft, OneTextForEveryProgram) {
    const struct {
        std::int64_t ms;
        const char* left;
        const char* elapsed;
    } cases[] = {
        {0, "0:00", "0:00"},
        {1, "0:01", "0:00"},
        {4'500, "0:05", "0:04"},
        {59'001, "1:00", "0:59"},
        {65'000, "1:05", "1:05"},
        {3'599'500, "1:00:00", "59:59"},
        {3'723'000, "1:02:03", "1:02:03"},
        {-5, "0:00", "0:00"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(timeLeftText(c.ms), c.left) << c.ms;
        EXPECT_EQ(elapsedText(c.ms), c.elapsed) << c.ms;
    }
    EXPECT_EQ(progressCaption(99, 4'500), "99% - 0:05 left");
}

} // namespace
