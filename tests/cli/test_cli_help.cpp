// Help for a person: "help", "-V", a word that is not a command, the exit
// codes and examples in "update --help", and the manual page naming every
// command, option and exit status the program has.
#include "cli/commands/cliApp.h"
#include "cli/exitCodes.h"
#include "tarvek2_version.h"
#include "text_files.h"

#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <sstream>

namespace {

const char* const cCommandList = "images, check, update, info, ports, station";

struct HelpCase {
    const char* name;
    std::vector<std::string> args;
    int exit;
    std::vector<std::string> outHas; // each in standard output
    std::vector<std::string> errHas; // each in standard error
};

class CliHelp : public ::testing::TestWithParam<HelpCase> {};

TEST_P(CliHelp, Answers) {
    const HelpCase& c = GetParam();
    std::ostringstream out, err;
    EXPECT_EQ(runCli(c.args, out, err), c.exit) << out.str() << err.str();
    for (const auto& s : c.outHas)
        EXPECT_NE(out.str().find(s), std::string::npos) << s << " in:\n" << out.str();
    for (const auto& s : c.errHas)
        EXPECT_NE(err.str().find(s), std::string::npos) << s << " in:\n" << err.str();
    if (c.outHas.empty()) {
        EXPECT_EQ(out.str(), "");
    }
    if (c.errHas.empty()) {
        EXPECT_EQ(err.str(), "");
    }
    EXPECT_EQ(err.str().find("A subcommand is required"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Table, CliHelp,
    ::testing::Values(
        HelpCase{"HelpWord", {"help"}, 0, {"station", "update", "tarvek2-cli help COMMAND"}, {}},
        HelpCase{"HelpOfACommand", {"help", "update"}, 0, {"--max-restarts", "Exit status"}, {}},
        HelpCase{"VersionShort", {"-V"}, 0, {"tarvek2-cli " TARVEK2_VERSION "\n"}, {}},
        HelpCase{"VersionLong", {"--version"}, 0, {"tarvek2-cli " TARVEK2_VERSION "\n"}, {}},
        HelpCase{"UnknownCommand",
                 {"updte", "--port", "ttyUSB0"},
                 2,
                 {},
                 {"\"updte\" is not a command", cCommandList}},
        HelpCase{"HelpOfAnUnknownCommand",
                 {"help", "stations"},
                 2,
                 {},
                 {"\"stations\" is not a command", cCommandList}},
        HelpCase{"NoCommand", {}, 2, {}, {"a command is needed", cCommandList}},
        // A known command with a wrong option is the parser's usage error.
        HelpCase{"UnknownOption", {"images", "--colour"}, 2, {}, {"--colour"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CliHelpText, UpdateListsEveryExitStatusAndTwoExamples) {
    for (const char* command : {"update", "info"}) {
        SCOPED_TRACE(command);
        std::ostringstream out, err;
        ASSERT_EQ(runCli({command, "--help"}, out, err), 0);
        const std::string help = out.str();
        for (const auto& c : cExitCodes) {
            // The code, then the first words of its meaning.
            std::istringstream words(c.meaning);
            std::string first, second;
            words >> first >> second;
            const std::regex line("\n  " + std::to_string(c.code) + " +" +
                                  std::regex_replace(first + " " + second,
                                                     std::regex(R"([.*+?()\[\]{}|^$\\])"),
                                                     R"(\$&)"));
            EXPECT_TRUE(std::regex_search(help, line)) << c.code << " in:\n" << help;
        }
        const std::string examples = help.substr(help.find("Examples:"));
        std::size_t n = 0;
        for (const auto& l : linesOf(examples))
            n += l.rfind(std::string("  tarvek2-cli ") + command + " ", 0) == 0;
        EXPECT_EQ(n, 2u) << examples;
        // The text after the options fits 80 columns.
        for (const auto& l : linesOf(help.substr(help.find("Exit status"))))
            EXPECT_LE(l.size(), 79u) << l;
    }
}

// The manual page, read as the roff text it is.
class ManualPage : public ::testing::Test {
  protected:
    std::string page = readFile(TARVEK2_CLI_MANUAL);

    // The text of the section titled title, up to the next one.
    std::string section(const std::string& title) const {
        const std::string head = ".SH " + title + "\n";
        const auto at = page.find(head);
        if (at == std::string::npos) return {};
        const auto end = page.find("\n.SH ", at + head.size());
        return page.substr(at + head.size(),
                           end == std::string::npos ? std::string::npos : end - at - head.size());
    }
};

TEST_F(ManualPage, NamesEveryCommandAndEveryOptionAndNoOther) {
    ASSERT_FALSE(page.empty()) << TARVEK2_CLI_MANUAL;
    const std::string commands = section("COMMANDS");
    std::set<std::string> known;
    for (const auto& [command, options] : cliOptions()) {
        if (!command.empty()) {
            EXPECT_NE(commands.find(".B " + command + "\n"), std::string::npos)
                << "the command " << command;
        }
        for (const auto& o : options) {
            known.insert(o);
            // roff writes a minus as "\-".
            std::string roff = "\\-\\-";
            for (char ch : o)
                roff += ch == '-' ? std::string("\\-") : std::string(1, ch);
            EXPECT_NE(page.find(roff), std::string::npos) << "--" << o << " of " << command;
        }
    }
    // Every option the page names is one the program knows.
    static const std::regex named(R"(\\-\\-([a-z]+(\\-[a-z]+)*))");
    for (std::sregex_iterator it(page.begin(), page.end(), named), end; it != end; ++it) {
        const std::string name = std::regex_replace((*it)[1].str(), std::regex(R"(\\-)"), "-");
        EXPECT_TRUE(known.count(name)) << "the page names --" << name;
    }
}

TEST_F(ManualPage, ListsEveryExitStatus) {
    const std::string status = section("\"EXIT STATUS\"");
    ASSERT_FALSE(status.empty());
    std::set<int> listed;
    static const std::regex entry(R"(\.TP\n\.B (\d+)\n)");
    for (std::sregex_iterator it(status.begin(), status.end(), entry), end; it != end; ++it)
        listed.insert(std::stoi((*it)[1].str()));
    std::set<int> codes;
    for (const auto& c : cExitCodes)
        codes.insert(c.code);
    EXPECT_EQ(listed, codes);
}

} // namespace
