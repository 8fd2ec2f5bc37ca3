// The screen of a whole run: it makes the output of each port and prints
// what belongs to the run, not to one port (the cancel note, the summary).
#pragma once

#include "cli/output/portOutput.h"
#include "session/uClock.h"

#include <memory>
#include <ostream>
#include <string>
#include <vector>

class IRunScreen {
  public:
    virtual ~IRunScreen() = default;
    // The output of a port whose run starts now; the screen keeps it.
    virtual IPortOutput& addPort(const std::string& port) = 0;
    // Ctrl-C reached the sessions: the note, once.
    virtual void cancelling() = 0;
    // A few times a second.
    virtual void idle() = 0;
    // Every port's run has ended (results in the order the ports were added).
    virtual void ended(const std::vector<TPortResult>& results) = 0;
};

enum class TScreenMode { text, json, quiet };

struct TScreenSetup {
    TScreenMode mode = TScreenMode::text;
    bool terminal = false; // standard output and error are a terminal
    // Several ports (or --all): report lines prefixed with the port and a
    // tab, live lines on a terminal, the summary at the end.
    bool severalPorts = false;
    // "station": ports come and go; one result line per port as it ends (a
    // row of the summary table), no summary.
    bool station = false;
    IClock* clock = nullptr; // for the live lines and the bar
    int width = 80;          // of the terminal
};

std::unique_ptr<IRunScreen> makeRunScreen(const TScreenSetup& setup, std::ostream& out,
                                          std::ostream& err);
