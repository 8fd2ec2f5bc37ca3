// Sub-commands of tarvek2-cli.  Each registers its options on the app and
// returns the function that runs it; the function's result is the exit status.
#pragma once

#include <CLI/CLI.hpp>

#include <functional>

using TCommandRun = std::function<int()>;

TCommandRun addImagesCommand(CLI::App& app);
TCommandRun addCheckCommand(CLI::App& app);
TCommandRun addUpdateCommand(CLI::App& app);
TCommandRun addInfoCommand(CLI::App& app);
TCommandRun addPortsCommand(CLI::App& app);
