// "update", "info" and "station": sessions with loggers on serial ports.
#pragma once

#include "cli/commands/commandRun.h"

TCommandRun addUpdateCommand(CLI::App& app);
TCommandRun addInfoCommand(CLI::App& app);
TCommandRun addStationCommand(CLI::App& app);
