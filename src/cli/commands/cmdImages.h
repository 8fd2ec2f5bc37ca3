// "images": the firmware overview as a text table.
#pragma once

#include "cli/commands/commandRun.h"

TCommandRun addImagesCommand(CLI::App& app);
