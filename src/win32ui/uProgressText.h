// The text drawn on the progress bar: the percent and, while known, the time
// left of the update ("37% - 1:05 left").
#pragma once

#include <cstdint>
#include <string>

std::string progressText(int percent, std::int64_t remainingMs);
