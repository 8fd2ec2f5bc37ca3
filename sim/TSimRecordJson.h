// The simulator's record as JSON, for the program's summary and for scripts
// that check what a run wrote to the logger.
#pragma once

#include "TSimConfig.h"

#include <string>

// Counters by name, "blocks" (every data record written, in order),
// "lastRunBlocks" (the latest programming run), "port", "lineCut",
// "inBootloader" and "updateDone".  Blocks are numbers (block addresses).
std::string recordToJson(const TSimRecord& record, const std::string& sPort);
