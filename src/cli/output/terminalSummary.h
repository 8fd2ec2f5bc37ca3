// The results for a person at a terminal: each starts with the word one
// scans for, and fits the terminal's width.  Off a terminal the summary
// table (summaryTable.h) is the one for programs.
#pragma once

#include "cli/output/portOutput.h"

#include <string>
#include <vector>

// "PASS" when the port's run did what was asked (exit status 0: the logger
// runs the new firmware, or "info" chose its image), "CANCELLED" when Ctrl-C
// stopped it (the logger is not updated, but nothing went wrong with it),
// "FAIL" for every other end.
std::string resultWord(const TPortResult& result);

// The summary: per port the word, the port, the logger, the image version,
// the duration and the outcome.  One line per port when every port's fits
// in width - 1 characters; else the outcome goes on the lines below the
// others, indented.  The outcome is never cut.  Each line ends in a line
// break.
std::string terminalSummary(const std::vector<TPortResult>& results, int width);
