// "update" and "info": sessions with loggers on serial ports.
#include "cli/commands/cmdSession.h"
#include "cli/commands/sessionCommand.h"
#include "cli/commands/sessionHelp.h"
#include "cli/commands/stationCommand.h"
#include "cli/run/cancelSignal.h"

#include <CLI/CLI.hpp>

#include <iostream>
#include <memory>

#ifdef _WIN32
#include <io.h>
#define isatty _isatty
#define STDOUT_FILENO 1
#define STDERR_FILENO 2
#else
#include <unistd.h>
#endif

namespace {

using TSessionRun = int (*)(const TUpdateOptions&, TCommandEnv&);

int runFromMain(const TUpdateOptions& o, TSessionRun run) {
    // The flag lives as long as the program: the signal handler keeps it.
    static std::atomic<bool> bCancel{false};
    installCancelHandler(bCancel);
    TCommandEnv env{
        std::cout, std::cerr, {}, {}, isatty(STDOUT_FILENO) != 0 && isatty(STDERR_FILENO) != 0,
        bCancel,   {}};
    return run(o, env);
}

} // namespace

TCommandRun addUpdateCommand(CLI::App& app) {
    auto opts = std::make_shared<TUpdateOptions>();
    auto* sub = app.add_subcommand("update", "Update the loggers on serial ports");
    addSessionOptions(*sub, *opts);
    sub->footer(sessionHelpFooter(false));
    return [opts] { return runFromMain(*opts, runSessionCommand); };
}

TCommandRun addInfoCommand(CLI::App& app) {
    auto opts = std::make_shared<TUpdateOptions>();
    opts->infoOnly = true;
    auto* sub = app.add_subcommand(
        "info", "Identify the loggers and choose their images; write nothing (read info only). "
                "Each logger is left waiting in its bootloader: an update, or a power cycle, "
                "brings it back");
    addSessionOptions(*sub, *opts);
    sub->footer(sessionHelpFooter(true));
    return [opts] { return runFromMain(*opts, runSessionCommand); };
}

TCommandRun addStationCommand(CLI::App& app) {
    auto opts = std::make_shared<TUpdateOptions>();
    auto* sub = app.add_subcommand(
        "station", "Wait for loggers and update each one as it is plugged in, until Ctrl-C");
    addRunOptions(*sub, *opts);
    return [opts] { return runFromMain(*opts, runStationCommand); };
}
