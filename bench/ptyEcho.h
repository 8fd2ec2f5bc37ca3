// The bare round trip of the line: a 139-byte record written into a
// pseudo-terminal with the updater's line settings and echoed back by a
// thread on the other side, with nothing of the updater in between.
#pragma once

#include <cstddef>
#include <vector>

// Round-trip times in microseconds, one per exchange; empty on failure.
std::vector<double> measurePtyEcho(int exchanges, std::size_t bytes = 139);
