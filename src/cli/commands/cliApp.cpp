#include "cli/commands/cliApp.h"

#include "cli/commands/cmdCheck.h"
#include "cli/commands/cmdImages.h"
#include "cli/commands/cmdPorts.h"
#include "cli/commands/cmdSession.h"

#include "tarvek2_version.h"
#include <CLI/CLI.hpp>

#include <algorithm>
#include <exception>
#include <memory>
#include <utility>

namespace {

struct TCli {
    CLI::App app{"Tarvek2 firmware updater (command line)", "tarvek2-cli"};
    std::vector<std::pair<CLI::App*, TCommandRun>> commands;

    TCli() {
        app.require_subcommand(1);
        // The version of this build, as the packages and the desktop programs
        // name it (cmake/Tarvek2Version.cmake).
        app.set_version_flag("-V,--version", "tarvek2-cli " TARVEK2_VERSION,
                             "Print the program's version and exit");
        app.footer("\"tarvek2-cli help COMMAND\" or \"tarvek2-cli COMMAND --help\" tells a "
                   "command's options.");
        for (auto* adder : {addImagesCommand, addCheckCommand, addUpdateCommand, addInfoCommand,
                            addPortsCommand, addStationCommand}) {
            const auto before = app.get_subcommands({}).size();
            TCommandRun run = adder(app);
            commands.emplace_back(app.get_subcommands({})[before], std::move(run));
        }
    }

    CLI::App* command(const std::string& name) const {
        for (const auto& [sub, run] : commands)
            if (sub->get_name() == name) return sub;
        return nullptr;
    }

    std::string commandList() const {
        std::string list;
        for (const auto& [sub, run] : commands)
            list += (list.empty() ? "" : ", ") + sub->get_name();
        return list;
    }

    // Not a command, and what is.
    int unknownCommand(const std::string& word, std::ostream& err) const {
        err << "tarvek2-cli: \"" << word
            << "\" is not a command. The commands are: " << commandList()
            << ". \"tarvek2-cli --help\" tells what each does.\n";
        return 2;
    }
};

// The first argument that is not an option: the command's place.
const std::string* firstWord(const std::vector<std::string>& args) {
    const auto it = std::find_if(args.begin(), args.end(),
                                 [](const std::string& a) { return a.empty() || a[0] != '-'; });
    return it == args.end() ? nullptr : &*it;
}

} // namespace

int runCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    TCli cli;
    const std::string* word = firstWord(args);
    if (word != nullptr && *word == "help") {
        // "help" and "help COMMAND", as "--help" and "COMMAND --help".
        const auto next = std::next(args.begin(), word - args.data() + 1);
        if (next == args.end()) {
            out << cli.app.help();
            return 0;
        }
        if (CLI::App* sub = cli.command(*next)) {
            out << sub->help();
            return 0;
        }
        return cli.unknownCommand(*next, err);
    }

    try {
        cli.app.parse(std::vector<std::string>(args.rbegin(), args.rend()));
    } catch (const CLI::Success& e) {
        return cli.app.exit(e, out, err); // --help, --version
    } catch (const CLI::ParseError& e) {
        if (word != nullptr && cli.command(*word) == nullptr) return cli.unknownCommand(*word, err);
        if (word == nullptr && args.empty()) {
            err << "tarvek2-cli: a command is needed: " << cli.commandList()
                << ". \"tarvek2-cli --help\" tells what each does.\n";
            return 2;
        }
        cli.app.exit(e, out, err);
        return 2;
    }

    try {
        for (auto& [sub, run] : cli.commands)
            if (sub->parsed()) return run();
    } catch (const std::exception& e) {
        err << "tarvek2-cli: " << e.what() << '\n';
        return 1;
    }
    return 2;
}

std::vector<TCommandOptions> cliOptions() {
    TCli cli;
    auto longNames = [](const CLI::App& app) {
        std::vector<std::string> names;
        auto add = [&](const CLI::App& a) {
            for (const CLI::Option* o : a.get_options())
                for (const auto& n : o->get_lnames())
                    names.push_back(n);
        };
        add(app);
        // The option groups ("--port" or "--all") are nameless parts of it.
        for (const CLI::App* group :
             app.get_subcommands([](const CLI::App* a) { return a->get_name().empty(); }))
            add(*group);
        return names;
    };
    std::vector<TCommandOptions> all{{"", longNames(cli.app)}};
    for (const auto& [sub, run] : cli.commands)
        all.push_back({sub->get_name(), longNames(*sub)});
    return all;
}
