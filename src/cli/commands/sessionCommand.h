// The session commands "update", "info" and "station" from parsed options to
// exit status, with the program's surroundings passed in so that tests can
// run them in-process.
#pragma once

#include "cli/commands/updateOptions.h"
#include "cli/run/cliPort.h"
#include "serial/uPortWatcher.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

// Seams for tests; the defaults are the real ones.
struct TRunSeams {
    IClock* clock = nullptr;    // the run's clock; nullptr: the system clock
    TPortOpener opener;         // empty: the real serial port (called with each port's name)
    TCommThreadFactory factory; // empty: CommThreadClass
    // The USB serial ports (--all, station); empty: getPortList.
    std::function<std::vector<std::string>()> portList;
    // The hot-plug events of station; empty: the platform's.
    TPortEventsFactory portEvents;
    std::chrono::milliseconds idleEvery{200};
    int width = 0; // of the terminal; 0: terminalWidth()
};

struct TCommandEnv {
    std::ostream& out;
    std::ostream& err;
    std::function<bool()> internMode; // empty: the current user's switch
    std::string internSource;         // empty: where the switch lives here
    bool terminal = false;            // standard output and error are a terminal
    const std::atomic<bool>& bCancel; // set by Ctrl-C
    TRunSeams seams;
};

int runSessionCommand(const TUpdateOptions& o, TCommandEnv& env);

// --- shared with "station" --------------------------------------------------

// Refuses what must not run (relaxing options outside the internal mode, an
// image file that cannot be read, a log folder that cannot be made) with a
// message on env.err; the exit status then, or -1 to go on.  intern gets
// the internal mode.
int checkSessionOptions(const TUpdateOptions& o, TCommandEnv& env, bool& intern);

// What every port of the run starts with: the controller's options and the
// command line's policy (no question, --max-restarts, a Ctrl-C never
// dropped), and the seams.
TPortStart portStart(const TUpdateOptions& o, bool intern, const TCommandEnv& env);

std::vector<std::string> listPorts(const TCommandEnv& env);
