// tarvek2-cli --version: the version of this build, the one that the packages
// carry in their names and the desktop program shows under "About".
#include "cli_child.h"
#include "tarvek2_version.h"

#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

struct VersionCase {
    const char* name;
    std::vector<std::string> args;
    int exit;
    bool printsVersion;
};

class CliVersion : public ::testing::TestWithParam<VersionCase> {};

TEST_P(CliVersion, Prints) {
    const VersionCase& c = GetParam();
    TCliChild cli(TARVEK2_CLI, c.args);
    ASSERT_EQ(cli.wait(30s), c.exit) << cli.err();
    if (c.printsVersion) {
        EXPECT_EQ(cli.out(), "tarvek2-cli " TARVEK2_VERSION "\n");
        EXPECT_EQ(cli.err(), "");
    } else {
        EXPECT_EQ(cli.out().find(TARVEK2_VERSION), std::string::npos) << cli.out();
    }
}

INSTANTIATE_TEST_SUITE_P(Arguments, CliVersion,
                         ::testing::Values(
                             // Without a command: the version flag needs none.
                             VersionCase{"Alone", {"--version"}, 0, true},
                             // Before a command it answers and runs nothing.
                             VersionCase{"BeforeACommand", {"--version", "images"}, 0, true},
                             // No command at all is still a usage error.
                             VersionCase{"NoCommand", {}, 2, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CliVersionText, NamesTheProjectVersion) {
    const std::string version = TARVEK2_VERSION;
    const std::string number = std::to_string(TARVEK2_VERSION_MAJOR) + "." +
                               std::to_string(TARVEK2_VERSION_MINOR) + "." +
                               std::to_string(TARVEK2_VERSION_PATCH);
    EXPECT_EQ(version.rfind(number, 0), 0u) << version;
    // The part after the number is empty or "+commit".
    const std::string rest = version.substr(number.size());
    EXPECT_TRUE(rest.empty() || (rest[0] == '+' && rest.size() > 1)) << version;
    EXPECT_EQ(rest.empty() ? std::string() : rest.substr(1), TARVEK2_VERSION_COMMIT);
    // Help lists the option.
    TCliChild cli(TARVEK2_CLI, {"--help"});
    ASSERT_EQ(cli.wait(30s), 0);
    EXPECT_NE(cli.out().find("--version"), std::string::npos) << cli.out();
}

} // namespace
