// The summary of a run over several ports: a header row, then one row per
// port in the order given, the fields separated by at least two blanks.
#pragma once

#include "cli/output/portOutput.h"

#include <string>
#include <vector>

// The rows, each ending in a line break.
std::string summaryTable(const std::vector<TPortResult>& results);

// The fields of one row: port, exit status, class, platform, print, image,
// duration in seconds, outcome text.
std::vector<std::string> summaryFields(const TPortResult& result);

// One row of the table on its own (the fields joined by two blanks), as
// "station" prints it when a port's run ends.
std::string summaryRow(const TPortResult& result);
