// Sub-commands of tarvek2-cli.  Each registers its options on the app and
// returns the function that runs it; the function's result is the exit status.
#pragma once

#include <functional>

// The command-line parser stays out of this header: it costs every file that
// includes it half a minute of compiling.
namespace CLI {
class App;
}

using TCommandRun = std::function<int()>;

TCommandRun addImagesCommand(CLI::App& app);
TCommandRun addCheckCommand(CLI::App& app);
TCommandRun addUpdateCommand(CLI::App& app);
TCommandRun addInfoCommand(CLI::App& app);
TCommandRun addPortsCommand(CLI::App& app);
TCommandRun addStationCommand(CLI::App& app);
