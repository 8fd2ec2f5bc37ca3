// What tarvek2-cli shows of one port's run.  The port's front end (cliPort.h)
// hands every event of its update controller to the outputs of that port:
// the screen (text, JSON or quiet; live lines on a terminal) and the log
// file.  All calls come on the CLI's own thread.
#pragma once

#include "controller/uUpdateController.h"

#include <cstdint>
#include <string>

// How one port's run ended, with what the summary table needs.
struct TPortResult {
    std::string port;        // as given on the command line
    TSessionOutcome outcome; // from the controller
    int exitCode = 0;        // as the program's exit status for this port alone
    std::string result;      // resultName(): "done", "info", "cancelled", ...
    bool infoOnly = false;
    int maxRestarts = 0;
};

class IPortOutput {
  public:
    virtual ~IPortOutput() = default;
    // One line of the report, time-stamped ("hh-nn-ss -> text"): every text
    // the window would show on any of its outputs, once.  Stamped once for
    // all outputs, so that the screen and the log file agree.
    virtual void reportLine(const std::string& line) = 0;
    // A report line that only tells the progress ("Progress 37%"): a report
    // line like any other, but for a person at a terminal, who has the bar.
    virtual void progressLine(const std::string& line) { reportLine(line); }
    // Every notification as the controller handled it.
    virtual void notification(const TNotification& n, const TNotifyRendering& r) = 0;
    virtual void stateChanged(const TControllerState&) {}
    // Ctrl-C reached this port's controller.
    virtual void cancelling() {}
    // A few times a second, whatever happens.
    virtual void idle() {}
    // No session runs and no restart follows.
    virtual void finished(const TPortResult& result) = 0;
};
