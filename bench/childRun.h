// Child processes for the benchmark: the simulator program in the
// background and one run of tarvek2-cli, measured with wait4().
#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

struct TChildUsage {
    int status = -1; // exit status, -1 when it did not exit normally
    double wallMs = 0;
    double cpuSeconds = 0; // user + system
    long maxRssKiB = 0;    // peak resident set size
};

// Runs the program to its end with standard output and error sent to
// /dev/null.
TChildUsage runMeasured(const std::string& program, const std::vector<std::string>& args);

// Starts the program with its standard output on a pipe and reads its first
// line (the simulator prints its port path there).
struct TBackground {
    pid_t pid = -1;
    int out = -1; // its standard output, drained and closed when it is stopped
    std::string firstLine;
};
TBackground startBackground(const std::string& program, const std::vector<std::string>& args);
// SIGTERM, then waits for it.
void stopBackground(TBackground& child);
