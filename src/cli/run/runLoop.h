// The CLI's thread during "update", "info" and "station": one update
// controller per port (TCliPort), all driven from this one thread.  Each
// step hands the next notification from the shared queue to its port's
// controller, runs the restart timers that are due, passes a Ctrl-C on to
// every port as "Cancel" (the sessions themselves saw it at once, through
// their cancel flags: this tells the outputs and cancels waiting restarts),
// and lets the screen redraw.
#pragma once

#include "cli/output/runScreen.h"
#include "cli/run/cliPort.h"

#include <atomic>
#include <chrono>
#include <memory>
#include <vector>

class TRunLoop {
  public:
    // interrupted: set by the cancel handler (Ctrl-C, SIGTERM, SIGHUP).  clock: the run's clock
    // (the restart timers' deadlines); the ports' setups use the same one.
    TRunLoop(IRunScreen& screen, const std::atomic<bool>& interrupted, IClock& clock,
             std::chrono::milliseconds idleEvery = std::chrono::milliseconds(200));
    ~TRunLoop(); // ends the ports (their controllers cancel and join) first

    // A port whose run starts now; log: a further output (its log file) or
    // nullptr.  After a Ctrl-C no port is added.
    TCliPort* add(const std::string& port, const TPortStart& start,
                  std::unique_ptr<IPortOutput> log = {});
    // Handles what is due, waiting at most the idle time.
    void step();
    // Steps until every port has ended.
    void runToEnd();

    bool allEnded() const;
    bool interrupted() const { return FCancelSeen; }
    const std::vector<std::unique_ptr<TCliPort>>& ports() const { return FPorts; }
    std::vector<TPortResult> results() const;

  private:
    // Passes a Ctrl-C on to every port, once.
    void checkInterrupt();

    IRunScreen& FScreen;
    const std::atomic<bool>& FInterrupted;
    IClock& FClock;
    std::chrono::milliseconds FIdleEvery;
    TNotifyQueue FQueue;
    bool FCancelSeen = false;
    std::int64_t FLastIdle = -1;
    std::vector<std::unique_ptr<IPortOutput>> FLogs; // outlive the ports
    std::vector<std::unique_ptr<TCliPort>> FPorts;
};

// The exit status of a run: 0 when every port succeeded, else the status of
// the first port (in the order given) that did not.
int runExitStatus(const std::vector<TPortResult>& results);
