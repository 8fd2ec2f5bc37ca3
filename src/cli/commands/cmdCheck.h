// "check": checks an image file as the update session does before writing.
#pragma once

#include "cli/commands/commandRun.h"

TCommandRun addCheckCommand(CLI::App& app);
