// What every benchmark prints beside its figures: medians over the runs, the
// load of the machine while it ran, and whether a goal was met.
#pragma once

#include <string>
#include <vector>

// The middle value (the mean of the middle two for an even count); 0 for none.
double median(std::vector<double> v);
// The first three fields of /proc/loadavg, or "unknown": other work on the
// machine stretches every round trip, so a figure is read with it.
std::string loadAverage();
// "goal met" or "GOAL MISSED".
const char* verdict(bool met);
