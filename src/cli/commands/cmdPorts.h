// "ports": the serial ports a logger can be on, one per line.
#pragma once

#include "cli/commands/commandRun.h"

TCommandRun addPortsCommand(CLI::App& app);
