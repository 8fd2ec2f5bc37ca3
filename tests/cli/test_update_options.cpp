// The options of "update" and "info" as an operator types them, and the
// internal mode that the options relaxing safety checks need.
#include "cli/commands/updateOptions.h"

#include <CLI/CLI.hpp>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Parsed {
    bool parsed = false; // false: a usage error
    TUpdateOptions o;
};

Parsed parse(const std::string& command, std::vector<std::string> args) {
    CLI::App app;
    Parsed p;
    p.o.infoOnly = command == "info";
    addSessionOptions(*app.add_subcommand(command), p.o);
    args.insert(args.begin(), command);
    std::vector<std::string> reversed(args.rbegin(), args.rend());
    try {
        app.parse(reversed);
        p.parsed = true;
    } catch (const CLI::ParseError&) {
    }
    return p;
}

struct OptionCase {
    const char* name;
    const char* command;
    std::vector<std::string> args;
    bool parses;
    bool internMode;
    bool refused; // needs the internal mode and it is off
    TSessionSettings settings;
    int maxRestarts = 3;
};

class SessionOptions : public ::testing::TestWithParam<OptionCase> {};

TEST_P(SessionOptions, ParseCheckAndSettings) {
    const auto& c = GetParam();
    const Parsed p = parse(c.command, c.args);
    ASSERT_EQ(p.parsed, c.parses);
    if (!c.parses) return;
    const std::string refusal = internModeRefusal(p.o, c.internMode, "SOURCE");
    EXPECT_EQ(!refusal.empty(), c.refused) << refusal;
    if (c.refused) {
        // The message names every offending option and where the switch lives.
        for (const auto& name : relaxingOptions(p.o))
            EXPECT_NE(refusal.find(name), std::string::npos);
        EXPECT_NE(refusal.find("internal mode"), std::string::npos);
        EXPECT_NE(refusal.find("SOURCE"), std::string::npos);
        return;
    }
    // The controller's options, by the internal-mode rule every front end
    // shares.
    const TProgramOptions options = buildProgramOptions(optionRequest(p.o), c.internMode);
    const TSessionSettings& s = options.settings;
    EXPECT_EQ(s.bCheckClass, c.settings.bCheckClass);
    EXPECT_EQ(s.bCheckFamily, c.settings.bCheckFamily);
    EXPECT_EQ(s.bCheckInfo, c.settings.bCheckInfo);
    EXPECT_EQ(options.iFileMode, !c.internMode ? 0 : p.o.file.empty() ? 1 : 2);
    EXPECT_EQ(p.o.infoOnly, c.settings.bInfoOnly);
    EXPECT_EQ(p.o.maxRestarts, c.maxRestarts);
}

constexpr TSessionSettings kAllChecks{};
constexpr TSessionSettings kInfoOnly{.bInfoOnly = true};

INSTANTIATE_TEST_SUITE_P(
    Table, SessionOptions,
    ::testing::Values(
        OptionCase{"Plain", "update", {"--port", "ttyUSB0"}, true, false, false, kAllChecks},
        OptionCase{"ShortPort", "update", {"-p", "COM5"}, true, false, false, kAllChecks},
        OptionCase{"NoPort", "update", {}, false, false, false, kAllChecks},
        OptionCase{"MaxRestarts",
                   "update",
                   {"-p", "x", "--max-restarts", "0"},
                   true,
                   false,
                   false,
                   kAllChecks,
                   0},
        OptionCase{"NegativeRestarts",
                   "update",
                   {"-p", "x", "--max-restarts", "-1"},
                   false,
                   false,
                   false,
                   kAllChecks},
        OptionCase{"RestartsNotANumber",
                   "update",
                   {"-p", "x", "--max-restarts", "many"},
                   false,
                   false,
                   false,
                   kAllChecks},
        OptionCase{"JsonAndQuiet",
                   "update",
                   {"-p", "x", "--json", "--quiet"},
                   false,
                   false,
                   false,
                   kAllChecks},
        OptionCase{
            "EmptyFileName", "update", {"-p", "x", "--file", ""}, false, true, false, kAllChecks},
        OptionCase{
            "UnknownOption", "update", {"-p", "x", "--force"}, false, false, false, kAllChecks},
        OptionCase{"FileNormalMode",
                   "update",
                   {"-p", "x", "--file", "a.txt"},
                   true,
                   false,
                   true,
                   kAllChecks},
        OptionCase{"NoCheckClassNormalMode",
                   "update",
                   {"-p", "x", "--no-check-class"},
                   true,
                   false,
                   true,
                   kAllChecks},
        OptionCase{"NoCheckFamilyNormalMode",
                   "update",
                   {"-p", "x", "--no-check-family"},
                   true,
                   false,
                   true,
                   kAllChecks},
        OptionCase{"NoCheckInfoNormalMode",
                   "info",
                   {"-p", "x", "--no-check-info"},
                   true,
                   false,
                   true,
                   kInfoOnly},
        OptionCase{
            "AllRelaxedNormalMode",
            "update",
            {"-p", "x", "--file", "a", "--no-check-class", "--no-check-family", "--no-check-info"},
            true,
            false,
            true,
            kAllChecks},
        OptionCase{"FileInternMode",
                   "update",
                   {"-p", "x", "--file", "a.txt"},
                   true,
                   true,
                   false,
                   kAllChecks},
        OptionCase{"NoCheckClassInternMode",
                   "update",
                   {"-p", "x", "--no-check-class"},
                   true,
                   true,
                   false,
                   TSessionSettings{.bCheckClass = false}},
        OptionCase{"NoCheckFamilyInternMode",
                   "update",
                   {"-p", "x", "--no-check-family"},
                   true,
                   true,
                   false,
                   TSessionSettings{.bCheckFamily = false}},
        OptionCase{"NoCheckInfoInternMode",
                   "update",
                   {"-p", "x", "--no-check-info"},
                   true,
                   true,
                   false,
                   TSessionSettings{.bCheckInfo = false}},
        OptionCase{"InfoReadsOnly", "info", {"-p", "x"}, true, false, false, kInfoOnly},
        OptionCase{"InfoRelaxedInternMode",
                   "info",
                   {"-p", "x", "--no-check-class"},
                   true,
                   true,
                   false,
                   TSessionSettings{.bCheckClass = false, .bInfoOnly = true}}),
    [](const auto& info) { return std::string(info.param.name); });

struct PortsCase {
    const char* name;
    std::vector<std::string> args;
    bool parses;
    std::vector<std::string> ports;
    bool all = false;
    std::string logDir;
};

class PortOptions : public ::testing::TestWithParam<PortsCase> {};

// Each --port takes one port; --all stands for the list; one of the two.
TEST_P(PortOptions, OnePortSeveralOrAll) {
    const auto& c = GetParam();
    const Parsed p = parse("update", c.args);
    ASSERT_EQ(p.parsed, c.parses);
    if (!c.parses) return;
    EXPECT_EQ(p.o.ports, c.ports);
    EXPECT_EQ(p.o.allPorts, c.all);
    EXPECT_EQ(p.o.logDir, c.logDir);
}

INSTANTIATE_TEST_SUITE_P(
    Table, PortOptions,
    ::testing::Values(
        PortsCase{"One", {"-p", "ttyUSB0"}, true, {"ttyUSB0"}, false, ""},
        PortsCase{
            "Several", {"-p", "a", "--port", "b", "-p", "c"}, true, {"a", "b", "c"}, false, ""},
        PortsCase{"All", {"--all"}, true, {}, true, ""},
        PortsCase{"AllWithLogDir", {"--all", "--log-dir", "logs"}, true, {}, true, "logs"},
        PortsCase{"PortAndAll", {"-p", "a", "--all"}, false, {}, false, ""},
        PortsCase{"TwoValuesToOnePort", {"-p", "a", "b"}, false, {}, false, ""},
        // "--port $P --port b" with $P empty in the shell
        PortsCase{"OptionTakenForAPort", {"--port", "--port", "b"}, false, {}, false, ""},
        PortsCase{"EmptyPortName", {"-p", "", "-p", "b"}, false, {}, false, ""},
        PortsCase{"EmptyLogDir", {"-p", "a", "--log-dir", ""}, false, {}, false, ""},
        PortsCase{"LogDirWithoutValue", {"-p", "a", "--log-dir"}, false, {}, false, ""}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace

namespace {

// --log-dir and --max-restarts are declared once and checked alike for the
// commands that run sessions, "station" as "update".
struct RunOptionsCase {
    const char* name;
    std::vector<std::string> args;
    bool parses;
    std::string logDir;
    int maxRestarts = 3;
};

class RunOptions : public ::testing::TestWithParam<std::tuple<const char*, RunOptionsCase>> {};

TEST_P(RunOptions, SameChecksForUpdateAndStation) {
    const auto& [command, c] = GetParam();
    const bool station = std::string(command) == "station";
    CLI::App app;
    TUpdateOptions o;
    auto* sub = app.add_subcommand(command);
    if (station)
        addRunOptions(*sub, o);
    else
        addSessionOptions(*sub, o);
    std::vector<std::string> args = c.args;
    if (!station) args.insert(args.begin(), {"--port", "ttyUSB0"});
    args.insert(args.begin(), command);
    std::vector<std::string> reversed(args.rbegin(), args.rend());
    bool parsed = false;
    try {
        app.parse(reversed);
        parsed = true;
    } catch (const CLI::ParseError&) {
    }
    ASSERT_EQ(parsed, c.parses);
    if (!c.parses) return;
    EXPECT_EQ(o.logDir, c.logDir);
    EXPECT_EQ(o.maxRestarts, c.maxRestarts);
}

INSTANTIATE_TEST_SUITE_P(
    Table, RunOptions,
    ::testing::Combine(
        ::testing::Values("update", "station"),
        ::testing::Values(
            RunOptionsCase{"None", {}, true, ""},
            RunOptionsCase{"Both", {"--log-dir", "logs", "--max-restarts", "0"}, true, "logs", 0},
            RunOptionsCase{"Most", {"--max-restarts", "1000"}, true, "", 1000},
            RunOptionsCase{"EmptyLogDir", {"--log-dir", ""}, false, ""},
            RunOptionsCase{"LogDirWithoutValue", {"--log-dir"}, false, ""},
            RunOptionsCase{"TooMany", {"--max-restarts", "1001"}, false, ""},
            RunOptionsCase{"Negative", {"--max-restarts", "-1"}, false, ""},
            RunOptionsCase{"NotANumber", {"--max-restarts", "x"}, false, ""})),
    [](const auto& info) {
        return std::string(std::get<0>(info.param)) + std::get<1>(info.param).name;
    });

} // namespace
