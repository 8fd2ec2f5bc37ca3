// What the test process holds: its threads and its open descriptors, read
// from /proc/self.  A session that leaves a thread running or a port open
// shows up as a count that does not come back.
#pragma once

#include <string>

struct TProcessCensus {
    int threads = 0;     // entries of /proc/self/task
    int descriptors = 0; // entries of /proc/self/fd

    static TProcessCensus take();
    bool operator==(const TProcessCensus&) const = default;
};

std::string describe(const TProcessCensus& c);
