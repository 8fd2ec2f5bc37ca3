// tarvek2-cli: the headless Tarvek2 firmware updater.
#include "cli/commands/cmdCheck.h"
#include "cli/commands/cmdImages.h"
#include "cli/commands/cmdPorts.h"
#include "cli/commands/cmdSession.h"

#include "tarvek2_version.h"
#include <CLI/CLI.hpp>

#include <cstdio>
#include <exception>
#include <vector>

int main(int argc, char** argv) {
    CLI::App app{"Tarvek2 firmware updater (command line)", "tarvek2-cli"};
    app.require_subcommand(1);
    // The version of this build, as the packages and the desktop programs
    // name it (cmake/Tarvek2Version.cmake).
    app.set_version_flag("--version", "tarvek2-cli " TARVEK2_VERSION,
                         "Print the program's version and exit");

    std::vector<std::pair<CLI::App*, TCommandRun>> commands;
    auto add = [&](TCommandRun (*adder)(CLI::App&)) {
        const auto before = app.get_subcommands({}).size();
        TCommandRun run = adder(app);
        commands.emplace_back(app.get_subcommands({})[before], std::move(run));
    };
    add(addImagesCommand);
    add(addCheckCommand);
    add(addUpdateCommand);
    add(addInfoCommand);
    add(addPortsCommand);
    add(addStationCommand);

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForVersion& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        app.exit(e);
        return 2;
    }

    try {
        for (auto& [sub, run] : commands)
            if (sub->parsed()) return run();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tarvek2-cli: %s\n", e.what());
        return 1;
    }
    return 2;
}
