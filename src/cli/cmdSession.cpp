// "update" and "info": sessions with a logger on a serial port.
#include "cli/cancelSignal.h"
#include "cli/commands.h"
#include "cli/sessionCommand.h"

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

int runFromMain(const TUpdateOptions& o) {
    // The flag lives as long as the program: the signal handler keeps it.
    static std::atomic<bool> bCancel{false};
    installCancelHandler(bCancel);
    TCommandEnv env{
        std::cout, std::cerr, {}, {}, isatty(STDOUT_FILENO) != 0 && isatty(STDERR_FILENO) != 0,
        bCancel,   {}};
    return runSessionCommand(o, env);
}

} // namespace

TCommandRun addUpdateCommand(CLI::App& app) {
    auto opts = std::make_shared<TUpdateOptions>();
    auto* sub = app.add_subcommand("update", "Update the logger on a serial port");
    addSessionOptions(*sub, *opts);
    return [opts] { return runFromMain(*opts); };
}

TCommandRun addInfoCommand(CLI::App& app) {
    auto opts = std::make_shared<TUpdateOptions>();
    opts->infoOnly = true;
    auto* sub = app.add_subcommand(
        "info", "Identify the logger and choose its image; write nothing (read info only)");
    addSessionOptions(*sub, *opts);
    return [opts] { return runFromMain(*opts); };
}
